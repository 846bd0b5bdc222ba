#ifndef MAVOSCAN_MATCH_NAMED_FILES_H_
#define MAVOSCAN_MATCH_NAMED_FILES_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// True when `argument` is a mask to expand: it holds "*" or "?", or it ends
// in a path separator (every file of that directory).
bool IsMask(Platform& platform, std::string_view argument);

// The paths of the files `names` name, per name in turn. A name that is no
// mask is one file, taken exactly as written without listing its directory
// (whether it exists is for opening it to tell). A mask gives its directory
// part followed by each name the scanner's matching rule finds, in the
// order found. With `once`, a path named twice is given once. Returns false
// with *err set ("no file matches <mask>") when a mask matches nothing.
bool ExpandMasks(Platform& platform, const std::vector<std::string>& names,
                 bool once, std::vector<std::string>* paths, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_NAMED_FILES_H_
