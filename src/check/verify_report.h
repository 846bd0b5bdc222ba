#ifndef MAVOSCAN_CHECK_VERIFY_REPORT_H_
#define MAVOSCAN_CHECK_VERIFY_REPORT_H_

#include <string>
#include <vector>

#include "common/json_writer.h"
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

// The same content as members of the JSON object being written: the
// definition, its patterns and strings, then "files" and "not_files" with
// a verdict per file. Bytes are given in hexadecimal; texts that are not
// valid UTF-8 also as "..._hex".
void VerifyJson(const VerifyReport& report, JsonWriter* json);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_VERIFY_REPORT_H_
