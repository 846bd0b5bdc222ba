#include "frontblock/pattern_scan.h"

#include <algorithm>

#include "common/console.h"
#include "common/text.h"

namespace mavoscan {
namespace {

// True when every block that takes part holds the same byte at `index`. A
// block too short to reach `index` shares nothing there, so no input can
// lead to a read past the end of a block.
bool IsShared(const std::vector<std::string>& front_blocks, size_t index,
              const PositionLimit& positions, bool refining) {
  if (!positions.Allows(index)) return false;
  const std::string& reference = front_blocks[1];
  if (index >= reference.size()) return false;
  char byte = reference[index];
  if (refining) {
    const std::string& base = front_blocks[0];
    if (index >= base.size() || base[index] != byte) return false;
  }
  for (size_t i = 2; i < front_blocks.size(); ++i) {
    const std::string& block = front_blocks[i];
    if (index >= block.size() || block[index] != byte) return false;
  }
  return true;
}

}  // namespace

PatternList FindPatterns(const std::vector<std::string>& front_blocks,
                         int header_block_size, const PositionLimit& positions,
                         bool refining) {
  PatternList patterns;
  if (front_blocks.size() < 2 || header_block_size <= 0) return patterns;
  // Offsets are 16-bit in the definition; the front block never exceeds
  // this size anyway.
  size_t length =
      static_cast<size_t>(std::min(header_block_size, kFrontBlockSize));
  bool open = false;
  for (size_t index = 0; index < length; ++index) {
    if (!IsShared(front_blocks, index, positions, refining)) {
      open = false;
      continue;
    }
    if (!open) {
      patterns.push_back(Pattern{std::string(), static_cast<int>(index)});
      open = true;
    }
    patterns.back().bytes.push_back(front_blocks[1][index]);
  }
  return patterns;
}

PatternList ScanPatterns(Platform& platform,
                         const std::vector<std::string>& front_blocks,
                         int header_block_size, const PositionLimit& positions,
                         bool refining) {
  PrintLine(platform, "Scanning for patterns...");
  PatternList patterns =
      FindPatterns(front_blocks, header_block_size, positions, refining);
  PrintLine(platform, "Pattern(s) found:" +
                          ConsoleNumber(static_cast<int64_t>(patterns.size())));
  if (!patterns.empty()) {
    const Pattern& last = patterns.back();
    int64_t end = static_cast<int64_t>(last.pos) +
                  static_cast<int64_t>(last.bytes.size()) - 1;
    PrintLine(platform, "Last Pattern end at offset:" + ConsoleNumber(end));
  }
  return patterns;
}

}  // namespace mavoscan
