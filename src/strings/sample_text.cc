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

void AppendPiece(ReadableFile& file, int64_t offset, size_t length,
                 std::string* text) {
  std::string piece;
  if (file.ReadAt(offset, length, &piece)) text->append(piece);
}

}  // namespace

bool ReadSampleText(Platform& platform, const SampleEntry& sample,
                    std::string* text, std::string* err) {
  std::unique_ptr<ReadableFile> file = OpenSample(platform, sample, err);
  if (file == nullptr) return false;
  text->clear();
  const int64_t size = std::max<int64_t>(file->Size(), 0);
  if (size <= kWholeReadLimit) {
    AppendPiece(*file, 0, static_cast<size_t>(size), text);
  } else {
    text->reserve(static_cast<size_t>(kWholeReadLimit) + 1);
    AppendPiece(*file, 0, kHalfReadLimit, text);
    text->push_back('|');
    AppendPiece(*file, size - kHalfReadLimit, kHalfReadLimit, text);
  }
  UpperCaseInPlace(text);
  return true;
}

bool CheckSampleReadable(Platform& platform, const SampleEntry& sample,
                         std::string* err) {
  return OpenSample(platform, sample, err) != nullptr;
}

}  // namespace mavoscan
