#ifndef MAVOSCAN_TUNE_NOT_FILES_H_
#define MAVOSCAN_TUNE_NOT_FILES_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/definition_builder.h"
#include "platform/platform.h"
#include "tune/part_picker.h"

namespace mavoscan {

// The files a tuned definition must not match, read once: their leading
// bytes stay in memory and answer every byte a choice asks about, and only
// the files that bytes do not reject are read again for strings.
class NotFiles {
 public:
  // `files` (fronts read as CollectCrossSamples reads them) must outlive
  // this object.
  NotFiles(Platform& platform, const std::vector<CrossSample>& files)
      : platform_(platform), files_(files) {}

  size_t size() const { return files_.size(); }
  const CrossSample& file(size_t index) const { return files_[index]; }

  // The files that do not hold `value` at `offset` (a file too short to
  // reach it does not). Kept for the next question about the same byte.
  const FileBits& ByteRejections(size_t offset, char value);

  // Sets (*rejections)[s] to those of `files` whose text, as the string
  // passes read it, lacks strings[s] (as written: apostrophe for NUL).
  // Returns false with *err set when a file cannot be read.
  bool StringRejections(const std::vector<std::string>& strings,
                        const std::vector<size_t>& files,
                        std::vector<FileBits>* rejections, std::string* err);

 private:
  Platform& platform_;
  const std::vector<CrossSample>& files_;
  std::unordered_map<uint32_t, FileBits> bytes_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_NOT_FILES_H_
