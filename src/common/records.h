#ifndef MAVOSCAN_COMMON_RECORDS_H_
#define MAVOSCAN_COMMON_RECORDS_H_

#include <cstddef>
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

// What a run does about global strings.
enum class StringMode {
  kNone,     // no string analysis; a refined definition loses its strings
  kRescan,   // strings cut afresh from the samples
  kInherit,  // the base definition's strings, tested again on the samples
};

// The front-block positions where patterns may lie: every one in a new
// definition; in a refinement those the base definition's patterns cover,
// up to the end of its last pattern.
class PositionLimit {
 public:
  // Every position of the front block.
  static PositionLimit Everywhere() {
    PositionLimit limit(kFrontBlockSize);
    limit.allowed_.flip();
    return limit;
  }
  PositionLimit() = default;
  // `length` positions, none allowed yet.
  explicit PositionLimit(size_t length) : allowed_(length, false) {}

  void Allow(size_t pos) { allowed_[pos] = true; }
  // Drops the positions from `length` on.
  void Shorten(size_t length) {
    if (length < allowed_.size()) allowed_.resize(length);
  }
  bool Allows(size_t pos) const {
    return pos < allowed_.size() && allowed_[pos];
  }
  size_t size() const { return allowed_.size(); }

 private:
  std::vector<bool> allowed_;
};

// What a base definition hands to a refining run.
struct BaseDefinition {
  PositionLimit positions;
  // As long as `positions`: the patterns' bytes, spaces elsewhere.
  std::string base_block;
  int32_t file_num = 0;
  std::string file_type;
  std::string user;
  std::string email;
  std::string home;
  std::string rem;
  std::string ref_url;
  std::string refine;
  // Its CheckStrings is "True".
  bool check_strings = false;
  // Its global strings (apostrophes turned into NUL, upper-cased), when
  // they are inherited and it checks strings.
  std::vector<std::string> raw_strings;
};

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
