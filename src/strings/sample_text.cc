#include "strings/sample_text.h"

#include <algorithm>
#include <memory>

#include "common/text.h"

namespace mavoscan {
namespace {

std::unique_ptr<ReadableFile> OpenSample(Platform& platform,
                                         const SampleEntry& sample,
                                         Failure* failure) {
  if (!platform.FileExists(sample.path)) {
    *failure = {true, "* Error: Unable to find file <" + sample.path + ">", {}};
    return nullptr;
  }
  std::unique_ptr<ReadableFile> file = platform.OpenForReading(sample.path);
  if (file == nullptr) {
    *failure = OpenFailure(platform, sample.path);
  }
  return file;
}

// Replaces *out with the bytes at offset; a failed read leaves none.
void ReadPiece(ReadableFile& file, int64_t offset, size_t length,
               std::string* out) {
  if (!file.ReadAt(offset, length, out)) out->clear();
}

}  // namespace

TextLayout SampleTextLayout(int64_t size) {
  constexpr int64_t kHalf = kWholeReadLimit / 2;
  if (size <= kWholeReadLimit) {
    return {{0, static_cast<size_t>(std::max<int64_t>(size, 0))}, {}};
  }
  return {{0, kHalf}, SampleRange{size - kHalf, kHalf}};
}

bool ReadSampleBytes(Platform& platform, const SampleEntry& sample,
                     std::string* bytes, std::string* scratch,
                     Failure* failure) {
  std::unique_ptr<ReadableFile> file = OpenSample(platform, sample, failure);
  if (file == nullptr) return false;
  const int64_t size = std::max<int64_t>(file->Size(), 0);
  // Room first: growing while reading would copy, and first-touched memory
  // is slow to map.
  bytes->reserve(static_cast<size_t>(std::min(size, kWholeReadLimit + 1)));
  const TextLayout layout = SampleTextLayout(size);
  ReadPiece(*file, layout.head.offset, layout.head.length, bytes);
  if (layout.tail) {
    scratch->reserve(layout.tail->length);
    ReadPiece(*file, layout.tail->offset, layout.tail->length, scratch);
    bytes->push_back(kPieceJoint);
    bytes->append(*scratch);
  }
  return true;
}

bool ReadSampleText(Platform& platform, const SampleEntry& sample,
                    std::string* text, std::string* scratch, Failure* failure) {
  if (!ReadSampleBytes(platform, sample, text, scratch, failure)) return false;
  UpperCaseInPlace(text);
  return true;
}

bool CheckSampleReadable(Platform& platform, const SampleEntry& sample,
                         Failure* failure) {
  return OpenSample(platform, sample, failure) != nullptr;
}

}  // namespace mavoscan
