#ifndef MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
#define MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// What a base definition hands to the refining run.
struct BaseDefinition {
  // "1" at every front-block byte one of its patterns covers, "0" elsewhere;
  // as long as the end of the last pattern read.
  std::string position_mask;
  // As long as position_mask: the patterns' bytes, spaces elsewhere.
  std::string base_block;
  int32_t file_num = 0;
  std::string file_type;
  std::string user;
  std::string email;
  std::string home;
  std::string rem;
  std::string ref_url;
  std::string refine;
  // Its global strings (apostrophes turned into NUL, upper-cased), when
  // they are inherited and its CheckStrings is "True".
  std::vector<std::string> raw_strings;
};

// Turns the definition file `name` into *base. With `inherit_strings` it
// also sets *scan_strings and *write_strings from the definition's
// CheckStrings and takes its strings. Returns false when the file cannot be
// read, holds no entry, is not rooted at "\Mavo", or has a pattern's Bytes
// without a Pos after it. Prints nothing.
bool LoadDefinition(Platform& platform, const std::string& name,
                    bool inherit_strings, BaseDefinition* base,
                    bool* scan_strings, bool* write_strings);

// The refine set-up of a run: checks that `definition_file` exists, prints
// "Refining definition <...>" and loads it. Returns false with *err set to
// the text to print (CR LF line ends included).
bool SetUpRefinement(Platform& platform, const std::string& definition_file,
                     bool inherit_strings, BaseDefinition* base,
                     bool* scan_strings, bool* write_strings, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_XMLREAD_DEFINITION_LOADER_H_
