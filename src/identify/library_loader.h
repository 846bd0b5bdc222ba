#ifndef MAVOSCAN_IDENTIFY_LIBRARY_LOADER_H_
#define MAVOSCAN_IDENTIFY_LIBRARY_LOADER_H_

#include <string>
#include <vector>

#include "identify/identify_library.h"
#include "platform/platform.h"

namespace mavoscan {

// The ending of a definition's file name that a directory's definitions
// are found by.
constexpr char kDefinitionSuffix[] = ".mavo.xml";

// Reads the definitions that `sources` name, each a definition file or a
// directory whose *.mavo.xml files are taken (in the order the system
// lists them), every file once. Each is read strictly, as `verify` reads
// one. Returns false with *err set when a definition cannot be read or is
// malformed, or a source holds no definition at all.
bool LoadLibrary(Platform& platform, const std::vector<std::string>& sources,
                 std::vector<LibraryDefinition>* definitions, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_LIBRARY_LOADER_H_
