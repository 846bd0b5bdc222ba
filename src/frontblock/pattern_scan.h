#ifndef MAVOSCAN_FRONTBLOCK_PATTERN_SCAN_H_
#define MAVOSCAN_FRONTBLOCK_PATTERN_SCAN_H_

#include <string>
#include <vector>

#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// The runs of bytes that every entry of `front_blocks` from 1 on (and entry
// 0 too when `refining`) holds at the same offset, within the first
// `header_block_size` bytes, at the positions `positions` allows. In
// ascending order of offset.
PatternList FindPatterns(const std::vector<std::string>& front_blocks,
                         int header_block_size, const PositionLimit& positions,
                         bool refining);

// FindPatterns with its console lines: "Scanning for patterns...",
// "Pattern(s) found:" and, when there is a pattern, "Last Pattern end at
// offset:".
PatternList ScanPatterns(Platform& platform,
                         const std::vector<std::string>& front_blocks,
                         int header_block_size, const PositionLimit& positions,
                         bool refining);

}  // namespace mavoscan

#endif  // MAVOSCAN_FRONTBLOCK_PATTERN_SCAN_H_
