#include "check/run_check.h"

#include <optional>
#include <string>
#include <vector>

#include "check/check_options.h"
#include "check/check_progress.h"
#include "check/cross_check.h"
#include "check/explain.h"
#include "check/file_verifier.h"
#include "check/verify_report.h"
#include "check/weakness.h"
#include "common/program.h"
#include "xmlread/definition_loader.h"

// Unlike the scanner, whose console lines end in CR LF on every system for
// compatibility with its existing users, the checker is a new POSIX-style
// program whose output goes to scripts and pipes: its lines end in "\n".
// It has no standard error through the platform, so errors go to standard
// output too, on a line of their own that begins "mavocheck: error: ".

namespace mavoscan {
namespace {

// Verifies the files of every mask, in the order the masks came and, within
// a mask, in the order the system lists them.
bool VerifyMasks(Platform& platform, const std::vector<std::string>& masks,
                 const DefinitionContent& definition, VerifyDepth depth,
                 std::vector<FileVerdict>* verdicts, std::string* err) {
  std::vector<std::string> paths;
  if (!ExpandMasks(platform, masks, /*once=*/false, &paths, err)) return false;
  CheckProgress progress(platform, "Verifying...", paths.size());
  size_t shown = 0;
  return VerifyFiles(platform, definition, depth, paths, verdicts, err,
                     [&](size_t done) {
                       progress.Advance(done - shown);
                       shown = done;
                     });
}

}  // namespace

int CheckError(Platform& platform, const std::string& message) {
  platform.Write("mavocheck: error: " + message + "\n");
  return kCheckError;
}

int RunCheck(Platform& platform) {
  CheckOptions options;
  std::string err;
  if (!ParseCheckOptions(platform.CommandLineText(), &options, &err)) {
    return CheckError(platform, err + " (see mavocheck --help)");
  }
  switch (options.action) {
    case CheckAction::kHelp:
      platform.Write(CheckUsage());
      return kCheckPassed;
    case CheckAction::kVersion:
      platform.Write(std::string(kCheckerVersion) + "\n");
      return kCheckPassed;
    case CheckAction::kCrossCheck:
      return RunCrossCheck(platform, options);
    case CheckAction::kVerify:
      break;
  }

  DefinitionContent definition;
  if (!ReadDefinitionContent(platform, options.definition_file, &definition,
                             &err)) {
    return CheckError(platform, err);
  }
  const VerifyDepth depth =
      options.explain ? VerifyDepth::kExplain : VerifyDepth::kMatch;
  if (!DefinitionUsable(definition, &err)) {
    return CheckError(platform,
                      options.definition_file + " is malformed: " + err);
  }

  VerifyReport report{options.definition_file, &definition, {}, {}};
  if (!VerifyMasks(platform, options.masks, definition, depth, &report.files,
                   &err) ||
      !VerifyMasks(platform, options.not_masks, definition, depth,
                   &report.not_files, &err)) {
    return CheckError(platform, err);
  }
  const WeaknessReport weakness = AssessWeakness(report);
  const bool passed =
      report.Passed() && !(options.strict && !weakness.warnings.empty());
  std::optional<ExplainReport> explained;
  if (options.explain) explained = Explain(definition, report.files);
  if (options.format == ReportFormat::kJson) {
    std::string more = WeaknessJsonMembers(weakness);
    if (explained) more += ",\"explain\":" + ExplainJson(*explained);
    platform.Write(JsonReport(report, passed, more));
  } else {
    const TextStyle style{platform.ConsoleIsTerminal()};
    std::string text = TextReport(report) + WeaknessText(weakness);
    if (explained) text += ExplainText(*explained, style);
    platform.Write(text);
  }
  return passed ? kCheckPassed : kCheckFailed;
}

}  // namespace mavoscan
