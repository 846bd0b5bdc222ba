#ifndef MAVOSCAN_EXPORT_YARA_EXPORT_H_
#define MAVOSCAN_EXPORT_YARA_EXPORT_H_

#include <string>

#include "export/export_definition.h"
#include "export/export_plan.h"

namespace mavoscan {

// YARA takes at most this many strings in one rule, and rule names of at
// most this many characters.
constexpr size_t kYaraMaxStrings = 10000;
constexpr size_t kYaraMaxName = 128;

// The plan as one YARA rule. The patterns are conditions on the bytes at
// their offsets, which need no string scan; the strings are read the way
// the string passes read a file, head and tail of a large one included.
// Returns false with *err set when `name` was asked for and is no rule name.
bool ExportYara(const DefinitionContent& definition, const ExportPlan& plan,
                bool name_requested, ExportResult* result, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_YARA_EXPORT_H_
