#ifndef MAVOSCAN_CHECK_VERIFY_H_
#define MAVOSCAN_CHECK_VERIFY_H_

#include <optional>
#include <string>
#include <vector>

#include "check/explain.h"
#include "check/verify_report.h"
#include "check/weakness.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// The schema of the JSON report of verify and explain, its "format"
// member.
constexpr char kVerifyFormat[] = "mavocheck-verify/1";

struct VerifySettings {
  std::string definition_file;
  // The files that must match, and those that must not.
  std::vector<std::string> masks;
  std::vector<std::string> not_masks;
  // Per pattern and string counts, broken runs and groups of the files.
  bool explain = false;
  // Weakness warnings fail the run too.
  bool strict = false;
};

// Everything a verification found. The report points into `definition`,
// so a result stays where it was filled.
struct VerifyResult {
  DefinitionContent definition;
  VerifyReport report;
  WeaknessReport weakness;
  std::optional<ExplainReport> explained;
  // Every file matched as it should, and with `strict` nothing was weak.
  bool passed = false;

  VerifyResult() = default;
  VerifyResult(const VerifyResult&) = delete;
  VerifyResult& operator=(const VerifyResult&) = delete;
};

// Reads the definition strictly and tests the files against it. Returns
// false with *err set when the definition cannot be read or is malformed, a
// mask matches nothing or a file cannot be read. Shows progress on a
// terminal; prints nothing else.
bool RunVerify(Platform& platform, const VerifySettings& settings,
               VerifyResult* result, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_VERIFY_H_
