#ifndef MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
#define MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_

#include <string>

#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// Turns the definition file `name` into *base. Its global strings are kept
// only for StringMode::kInherit, and only when it checks strings. Returns
// false when the file cannot be read, holds no entry, is not rooted at
// "\Mavo", or has a pattern's Bytes without a Pos after it. Prints nothing.
bool LoadDefinition(Platform& platform, const std::string& name,
                    StringMode mode, BaseDefinition* base);

}  // namespace mavoscan

#endif  // MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
