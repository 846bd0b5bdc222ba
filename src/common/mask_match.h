#ifndef MAVOSCAN_COMMON_MASK_MATCH_H_
#define MAVOSCAN_COMMON_MASK_MATCH_H_

#include <string_view>

namespace mavoscan {

// True when the file name `name` matches the wildcard `mask` (a name part,
// no directory): "*" stands for any run of bytes, "?" for one byte, other
// bytes for themselves ignoring ASCII case; "*.*" matches every name, with
// or without a dot. Takes at most mask length times name length steps.
bool MaskMatches(std::string_view mask, std::string_view name);

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_MASK_MATCH_H_
