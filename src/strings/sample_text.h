#ifndef MAVOSCAN_STRINGS_SAMPLE_TEXT_H_
#define MAVOSCAN_STRINGS_SAMPLE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// A sample up to this size is examined whole; a larger one as its first and
// last half of it, joined by "|".
constexpr int64_t kWholeReadLimit = 10485760;

// A range of a sample's bytes that the string passes read.
struct SampleRange {
  int64_t offset = 0;
  size_t length = 0;
};

// What the string passes read of a sample of `size` bytes: the whole of it
// up to kWholeReadLimit; beyond, its first and its last kWholeReadLimit / 2
// bytes, which the text joins with kPieceJoint between them.
struct TextLayout {
  SampleRange head;
  std::optional<SampleRange> tail;
};
constexpr char kPieceJoint = '|';
TextLayout SampleTextLayout(int64_t size);

// Reads `sample` as the string passes see it: its bytes (or head, "|" and
// tail), upper-cased. A read that fails part-way leaves the bytes read so far
// (a failed piece counts as empty). Returns false with *failure set ("*
// Error: Unable to find file <path>" or "... open ...") when the file is
// gone or cannot be opened. *text and *scratch (which holds
// the tail while it is read) keep their memory from call to call.
bool ReadSampleText(Platform& platform, const SampleEntry& sample,
                    std::string* text, std::string* scratch, Failure* failure);

// ReadSampleText without the upper-casing, for a pass that folds case
// itself.
bool ReadSampleBytes(Platform& platform, const SampleEntry& sample,
                     std::string* bytes, std::string* scratch,
                     Failure* failure);

// The two checks of ReadSampleText without reading: for a pass that needs
// nothing from the sample's text but must fail where reading it would.
bool CheckSampleReadable(Platform& platform, const SampleEntry& sample,
                         Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_SAMPLE_TEXT_H_
