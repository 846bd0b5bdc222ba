#ifndef MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
#define MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// Turns the definition file `name` into *base. Its global strings are kept
// only for StringMode::kInherit, and only when it checks strings. Returns
// false when the file cannot be read, holds no entry, is not rooted at
// "\Mavo", or has a pattern's Bytes without a Pos after it. Prints nothing.
bool LoadDefinition(Platform& platform, const std::string& name,
                    StringMode mode, BaseDefinition* base);

// One pattern as the definition states it: its Bytes decoded from
// hexadecimal, and the offset of the first Pos entry after them. The offset
// is not clipped to the front block.
struct DefinitionPattern {
  std::string bytes;
  int64_t pos = 0;
};

// What a definition says a file of its type holds, for a program that tests
// files against it.
struct DefinitionContent {
  std::string file_type;
  // The descriptive fields a program that exports the definition shows:
  // the extension, the author, the program that wrote it and the number of
  // samples it was built from.
  std::string ext;
  std::string user;
  std::string creator;
  int32_t file_num = 0;
  // In document order.
  std::vector<DefinitionPattern> patterns;
  // Its CheckStrings is "True".
  bool check_strings = false;
  // Its global strings as written (an apostrophe stands for NUL), whether
  // or not it checks them.
  std::vector<std::string> strings;
};

// Reads the definition file `name` into *content. Returns false with *err
// set under the conditions LoadDefinition fails on. Prints nothing.
bool ReadDefinitionContent(Platform& platform, const std::string& name,
                           DefinitionContent* content, std::string* err);

// A global string as written turned into the text looked for in a sample's
// upper-cased text: apostrophes become NUL, letters upper case.
std::string SearchedString(std::string_view written);

}  // namespace mavoscan

#endif  // MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
