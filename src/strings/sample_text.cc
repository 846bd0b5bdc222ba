#include "strings/sample_text.h"

#include <algorithm>
#include <memory>

#include "common/text.h"

namespace mavoscan {
namespace {

constexpr int64_t kHalfReadLimit = kWholeReadLimit / 2;

std::unique_ptr<ReadableFile> OpenSample(Platform& platform,
                                         const SampleEntry& sample,
                                         std::string* err) {
  if (!platform.FileExists(sample.path)) {
    *err = "\r\n* Error: Unable to find file <" + sample.path + ">\r\n";
    return nullptr;
  }
  std::unique_ptr<ReadableFile> file = platform.OpenForReading(sample.path);
  if (file == nullptr) {
    *err = "\r\n* Error: Unable to open file <" + sample.path + ">\r\n";
  }
  return file;
}

// Replaces *out with the bytes at offset; a failed read leaves none.
void ReadPiece(ReadableFile& file, int64_t offset, size_t length,
               std::string* out) {
  if (!file.ReadAt(offset, length, out)) out->clear();
}

}  // namespace

bool ReadSampleBytes(Platform& platform, const SampleEntry& sample,
                     std::string* bytes, std::string* scratch,
                     std::string* err) {
  std::unique_ptr<ReadableFile> file = OpenSample(platform, sample, err);
  if (file == nullptr) return false;
  const int64_t size = std::max<int64_t>(file->Size(), 0);
  // Room first: growing while reading would copy, and first-touched memory
  // is slow to map.
  bytes->reserve(static_cast<size_t>(std::min(size, kWholeReadLimit + 1)));
  if (size <= kWholeReadLimit) {
    ReadPiece(*file, 0, static_cast<size_t>(size), bytes);
  } else {
    scratch->reserve(kHalfReadLimit);
    ReadPiece(*file, 0, kHalfReadLimit, bytes);
    ReadPiece(*file, size - kHalfReadLimit, kHalfReadLimit, scratch);
    bytes->push_back('|');
    bytes->append(*scratch);
  }
  return true;
}

bool ReadSampleText(Platform& platform, const SampleEntry& sample,
                    std::string* text, std::string* scratch, std::string* err) {
  if (!ReadSampleBytes(platform, sample, text, scratch, err)) return false;
  UpperCaseInPlace(text);
  return true;
}

bool CheckSampleReadable(Platform& platform, const SampleEntry& sample,
                         std::string* err) {
  return OpenSample(platform, sample, err) != nullptr;
}

}  // namespace mavoscan
