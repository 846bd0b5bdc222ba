#ifndef MAVOSCAN_CHECK_EXPLAIN_H_
#define MAVOSCAN_CHECK_EXPLAIN_H_

#include <string>
#include <vector>

#include "check/file_verifier.h"
#include "check/report_text.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// What --explain finds in the files a definition was, or could be, built
// from.
struct ExplainReport {};

// `verdicts` come from a FileVerifier with VerifyDepth::kExplain.
ExplainReport Explain(const DefinitionContent& definition,
                      const std::vector<FileVerdict>& verdicts);

// The report's section as text, lines ending in "\n", beginning with an
// empty line.
std::string ExplainText(const ExplainReport& report, const TextStyle& style);

// The same as one JSON value.
std::string ExplainJson(const ExplainReport& report);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_EXPLAIN_H_
