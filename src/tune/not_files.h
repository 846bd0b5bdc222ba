#ifndef MAVOSCAN_TUNE_NOT_FILES_H_
#define MAVOSCAN_TUNE_NOT_FILES_H_

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/definition_builder.h"
#include "platform/platform.h"
#include "tune/part_picker.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// The files a tuned definition must not match, read once: their leading
// bytes stay in memory and answer every byte a choice asks about. Strings
// are looked for only in the files that bytes do not reject, and then all
// strings that any definition of the run may ask about at once (those
// registered with AddStrings), so that such a file is read once more at
// most, however many definitions and tiers ask.
class NotFiles {
 public:
  // `files` (fronts read as CollectCrossSamples reads them) must outlive
  // this object.
  NotFiles(Platform& platform, const std::vector<CrossSample>& files)
      : platform_(platform), files_(files), texts_(files.size()) {}

  size_t size() const { return files_.size(); }

  // Strings (as written: apostrophe for NUL) that later questions may ask
  // about. Asking about others costs another read of the files concerned.
  void AddStrings(const std::vector<std::string>& strings);

  // The files that do not hold `value` at `offset` (a file too short to
  // reach it does not). Kept for the next question about the same byte.
  const FileBits& ByteRejections(size_t offset, char value);

  // Sets (*rejections)[s] to those of `files` whose text, as the string
  // passes read it, lacks strings[s]. Returns false with *err set when a
  // file cannot be read.
  bool StringRejections(const std::vector<std::string>& strings,
                        const std::vector<size_t>& files,
                        std::vector<FileBits>* rejections, std::string* err);

  // How many of the files match `definition`, the way a file is
  // identified. Returns false with *err set when a file cannot be read.
  bool CountMatches(const DefinitionContent& definition, size_t* count,
                    std::string* err);

 private:
  // Makes sure every registered string is looked for in `files`.
  bool Search(const std::vector<size_t>& files, std::string* err);
  // Registers `text` and returns its number.
  size_t StringNumber(const std::string& text);

  Platform& platform_;
  const std::vector<CrossSample>& files_;
  std::unordered_map<uint32_t, FileBits> bytes_;
  // Registered strings, by number and by text.
  std::vector<std::string> strings_;
  std::map<std::string, size_t> numbers_;
  // Per file, whether it holds each of the first strings registered (as
  // many as it was searched for).
  std::vector<std::vector<bool>> texts_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_NOT_FILES_H_
