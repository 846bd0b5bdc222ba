#ifndef MAVOSCAN_CHECK_VERIFY_REPORT_H_
#define MAVOSCAN_CHECK_VERIFY_REPORT_H_

#include <string>
#include <vector>

#include "match/file_verifier.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// The outcome of verifying one definition.
struct VerifyReport {
  std::string definition_file;
  // Must outlive the report.
  const DefinitionContent* definition = nullptr;
  // The files that must match, and the --not files that must not.
  std::vector<FileVerdict> files;
  std::vector<FileVerdict> not_files;

  // Every file matches and no --not file does.
  bool Passed() const;
};

// The report as readable text, lines ending in "\n": per file "match" or
// "no match" with the patterns and strings that failed, then the summaries.
std::string TextReport(const VerifyReport& report);

// The same content as one JSON object and a line end. Bytes are given in
// hexadecimal; in texts (paths, strings) a byte outside printable ASCII is
// written as \u00XX with the byte's value. `more_members` (each
// ',"name":value') go in before the final "passed".
std::string JsonReport(const VerifyReport& report, bool passed,
                       const std::string& more_members = "");

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_VERIFY_REPORT_H_
