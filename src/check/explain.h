#ifndef MAVOSCAN_CHECK_EXPLAIN_H_
#define MAVOSCAN_CHECK_EXPLAIN_H_

#include <cstddef>
#include <string>
#include <vector>

#include "check/broken_runs.h"
#include "check/file_groups.h"
#include "check/report_text.h"
#include "common/json_writer.h"
#include "match/file_verifier.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// How many of the files hold one pattern of the definition.
struct PatternHold {
  DefinitionPattern pattern;
  size_t held_by = 0;
};

// How many of the files hold one global string (as written in the
// definition).
struct StringHold {
  std::string text;
  size_t held_by = 0;
};

// What --explain finds in the files a definition was, or could be, built
// from.
struct ExplainReport {
  // The files in the order they were verified; runs and groups index into
  // it.
  std::vector<std::string> paths;
  // In the definition's order.
  std::vector<PatternHold> patterns;
  std::vector<StringHold> strings;
  std::vector<BrokenRun> broken_runs;
  FileGrouping grouping;
};

// `verdicts` come from a FileVerifier with VerifyDepth::kExplain.
ExplainReport Explain(const DefinitionContent& definition,
                      const std::vector<FileVerdict>& verdicts);

// The report's section as text, lines ending in "\n", beginning with an
// empty line. Long lists are cut short ("... and 3 more files"); bars only
// for a terminal.
std::string ExplainText(const ExplainReport& report, const TextStyle& style);

// The same as one JSON object (the value being written), with every list
// in full.
void ExplainJson(const ExplainReport& report, JsonWriter* json);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_EXPLAIN_H_
