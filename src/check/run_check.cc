#include "check/run_check.h"

#include <string>
#include <vector>

#include "check/check_options.h"
#include "check/file_verifier.h"
#include "check/verify_report.h"
#include "common/program.h"
#include "xmlread/definition_loader.h"

// Unlike the scanner, whose console lines end in CR LF on every system for
// compatibility with its existing users, the checker is a new POSIX-style
// program whose output goes to scripts and pipes: its lines end in "\n".
// It has no standard error through the platform, so errors go to standard
// output too, on a line of their own that begins "mavocheck: error: ".

namespace mavoscan {
namespace {

int Error(Platform& platform, const std::string& message) {
  platform.Write("mavocheck: error: " + message + "\n");
  return kCheckError;
}

// Verifies the files of every mask, in the order the masks came and, within
// a mask, in the order the system lists them.
bool VerifyMasks(Platform& platform, const std::vector<std::string>& masks,
                 FileVerifier& verifier, std::vector<FileVerdict>* verdicts,
                 std::string* err) {
  for (const std::string& mask : masks) {
    const std::vector<std::string> names = platform.FindFiles(mask);
    if (names.empty()) {
      *err = "no file matches " + mask;
      return false;
    }
    const std::string directory = platform.DirectoryPart(mask);
    for (const std::string& name : names) {
      verdicts->emplace_back();
      if (!verifier.Verify(platform, directory + name, &verdicts->back(),
                           err)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

int RunCheck(Platform& platform) {
  CheckOptions options;
  std::string err;
  if (!ParseCheckOptions(platform.CommandLineText(), &options, &err)) {
    return Error(platform, err + " (see mavocheck --help)");
  }
  switch (options.action) {
    case CheckAction::kHelp:
      platform.Write(CheckUsage());
      return kCheckPassed;
    case CheckAction::kVersion:
      platform.Write(std::string(kCheckerVersion) + "\n");
      return kCheckPassed;
    case CheckAction::kVerify:
      break;
  }

  DefinitionContent definition;
  if (!ReadDefinitionContent(platform, options.definition_file, &definition,
                             &err)) {
    return Error(platform, err);
  }
  FileVerifier verifier(definition);
  if (!verifier.Usable(&err)) {
    return Error(platform, options.definition_file + " is malformed: " + err);
  }

  VerifyReport report{options.definition_file, &definition, {}, {}};
  if (!VerifyMasks(platform, options.masks, verifier, &report.files, &err) ||
      !VerifyMasks(platform, options.not_masks, verifier, &report.not_files,
                   &err)) {
    return Error(platform, err);
  }
  platform.Write(options.format == ReportFormat::kJson ? JsonReport(report)
                                                       : TextReport(report));
  return report.Passed() ? kCheckPassed : kCheckFailed;
}

}  // namespace mavoscan
