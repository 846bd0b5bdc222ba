#ifndef MAVOSCAN_OUTPUT_DEFINITION_WRITER_H_
#define MAVOSCAN_OUTPUT_DEFINITION_WRITER_H_

#include <string>
#include <string_view>
#include <vector>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

constexpr char kNewDefinitionFile[] = "newtype.mavo.xml";

// The definition's descriptive fields for a new definition: the fixed
// placeholder texts, `ext` and `file_num`.
DefinitionInfo NewDefinitionInfo(const std::string& ext, int32_t file_num);

// Bytes as upper-case hexadecimal pairs: 77 90 144 0 gives "4D5A9000".
std::string HexText(std::string_view bytes);
// The readable rendering of a pattern's bytes: a space before each byte's
// display character, trailing spaces and dots dropped; empty when nothing
// readable is left.
std::string DisplayText(std::string_view bytes);

// A global string as the definition file holds it: an apostrophe for each
// NUL byte, which an XML text cannot hold (a string cut from a sample never
// holds an apostrophe, so the loader can turn it back).
std::string WrittenString(std::string_view text);

// The whole definition file, CR LF after every line. Unless `strings_mode`
// is kNone it is marked as checking strings and holds `strings`.
std::string RenderDefinition(const DefinitionInfo& info,
                             StringMode strings_mode,
                             const PatternList& patterns,
                             const std::vector<std::string>& strings,
                             const LocalTime& time);

// Where the output stage writes, and what it rotates to the backup first.
struct OutputPlan {
  std::string output_file;
  bool refining = false;
  std::string definition_file;  // the base definition when refining
};

// Writes `text` as the output file complete or not at all: into a hidden
// temporary file beside it first, flushed to the disk, then the previous
// file is rotated to the backup, then the temporary file takes the output's
// name. Returns false with *failure set when a step fails; the output and
// backup names then hold what they held before, except that the rotation
// may have deleted the old backup, or, when the previous file could not be
// put back, it stays the backup and *failure says so.
bool WriteDefinition(Platform& platform, const OutputPlan& plan,
                     const std::string& text, Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_OUTPUT_DEFINITION_WRITER_H_
