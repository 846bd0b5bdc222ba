#ifndef MAVOSCAN_COMMON_RECORDS_H_
#define MAVOSCAN_COMMON_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace mavoscan {

// One sample of the run: the path it was opened under (the mask's directory
// part followed by the name the search returned) and its length in bytes.
struct SampleEntry {
  std::string path;
  int64_t size = 0;
};
using SampleSet = std::vector<SampleEntry>;

constexpr int kMaxSamples = 2048;
// The front block: how many leading bytes of each sample can hold patterns.
constexpr int kFrontBlockSize = 2048;

// A run of bytes that every sample holds at the same offset. `pos` is the
// 0-based file offset of its first byte; `bytes` is 1 to 2048 bytes long.
struct Pattern {
  std::string bytes;
  int pos = 0;
};
using PatternList = std::vector<Pattern>;

// The descriptive fields of the definition being written; the names are
// those of the definition's XML elements.
struct DefinitionInfo {
  std::string file_type;
  std::string ext;
  std::string rem;
  std::string ref_url;
  std::string user;
  std::string email;
  std::string home;
  int32_t file_num = 0;
  std::string refine;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_RECORDS_H_
