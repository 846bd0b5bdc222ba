#include "check/verify.h"

#include "check/check_progress.h"
#include "match/file_verifier.h"
#include "match/named_files.h"
#include "match/strict_definition.h"

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

bool RunVerify(Platform& platform, const VerifySettings& settings,
               VerifyResult* result, std::string* err) {
  if (!ReadStrictDefinition(platform, settings.definition_file,
                            &result->definition, err)) {
    return false;
  }
  const VerifyDepth depth =
      settings.explain ? VerifyDepth::kExplain : VerifyDepth::kMatch;
  VerifyReport& report = result->report;
  report = VerifyReport{settings.definition_file, &result->definition, {}, {}};
  if (!VerifyMasks(platform, settings.masks, result->definition, depth,
                   &report.files, err) ||
      !VerifyMasks(platform, settings.not_masks, result->definition, depth,
                   &report.not_files, err)) {
    return false;
  }
  result->weakness = AssessWeakness(report);
  result->passed = report.Passed() &&
                   !(settings.strict && !result->weakness.warnings.empty());
  if (settings.explain) {
    result->explained = Explain(result->definition, report.files);
  }
  return true;
}

}  // namespace mavoscan
