#ifndef MAVOSCAN_MATCH_STRICT_DEFINITION_H_
#define MAVOSCAN_MATCH_STRICT_DEFINITION_H_

#include <string>

#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// Reads the definition file `path` for testing files against it, refusing
// what the scanner never writes: returns false with *err set, naming the
// element and the value, when the file cannot be read (with the system's
// reason), has no Mavo root or no FrontBlock, or holds a Pos that is not a
// decimal number in 0..2047, Bytes that are empty, of odd length or not
// hexadecimal, or a pattern that reaches past the front block.
bool ReadStrictDefinition(Platform& platform, const std::string& path,
                          DefinitionContent* content, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_STRICT_DEFINITION_H_
