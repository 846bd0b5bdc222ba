#include "tune/tune_command.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "check/check_commands.h"
#include "check/check_progress.h"
#include "check/definition_builder.h"
#include "match/strict_definition.h"
#include "platform/platform.h"
#include "tune/tune.h"
#include "tune/tune_report.h"
#include "tune/tuned_output.h"

namespace mavoscan {
namespace {

constexpr uint64_t kMaxFolds = 100;

CommandOutcome RunTune(Platform& platform, const ParsedCommand& parsed) {
  const std::vector<std::string>& operands = parsed.operands();
  const std::string& definition_file = operands[0];
  const std::vector<std::string> masks(operands.begin() + 1, operands.end());
  std::string output_file = parsed.Text("--out");
  std::string err;

  DefinitionContent definition;
  DefinitionInfo info;
  if (!ReadStrictDefinition(platform, definition_file, &definition, &err) ||
      !ReadDefinitionInfo(platform, definition_file, &info, &err)) {
    return ErrorOutcome(err);
  }
  // The definition is only ever replaced when the user names it.
  if (output_file.empty()) {
    output_file = kTunedDefinitionFile;
    if (platform.FileExists(output_file) &&
        platform.SameFile(output_file, definition_file)) {
      return ErrorOutcome("the tuned definition would replace " +
                          definition_file +
                          "; name the file to write with --out");
    }
  }
  std::vector<CrossSample> samples;
  if (!CollectCrossSamples(platform, masks, &samples, &err))
    return ErrorOutcome(err);
  // Mask by mask, so that a file that cannot be separated can be told by
  // the mask (the type) it came from; a file two masks name counts once.
  const std::vector<std::string> not_masks = parsed.Texts("--not");
  std::vector<CrossSample> not_files;
  std::map<std::string, size_t> mask_of;
  std::vector<MaskShare> shares;
  for (const std::string& mask : not_masks) {
    std::vector<CrossSample> named;
    if (!CollectCrossSamples(platform, {mask}, &named, &err)) {
      return ErrorOutcome(err);
    }
    shares.push_back({mask, 0, 0});
    for (CrossSample& file : named) {
      if (!mask_of.try_emplace(file.path, shares.size() - 1).second) continue;
      ++shares.back().files;
      not_files.push_back(std::move(file));
    }
  }
  TuneResult result;
  {
    constexpr uint64_t kUnits = 1000;
    CheckProgress progress(platform, "Tuning...", kUnits);
    uint64_t shown = 0;
    TuneInput input{&definition, &samples, &not_files,
                    static_cast<int>(parsed.Number("--folds", 5)),
                    parsed.Number("--seed", 1)};
    input.progress = [&](double share) {
      const uint64_t now = static_cast<uint64_t>(share * kUnits);
      if (now > shown) progress.Advance(now - shown);
      shown = std::max(shown, now);
    };
    if (!TuneDefinition(platform, input, &result, &err))
      return ErrorOutcome(err);
  }
  if (result.tuned.patterns.empty()) {
    return ErrorOutcome(
        "no pattern byte of " + definition_file +
        " holds on every given sample, so nothing is left to tune");
  }
  if (!WriteDerivedDefinition(platform, output_file, info, result.tuned,
                              &err)) {
    return ErrorOutcome(err);
  }
  TuneReport report{definition_file, output_file, &result, {}};
  for (const std::string& path : result.inseparable) {
    ++shares[mask_of[path]].inseparable;
  }
  for (const MaskShare& share : shares) {
    if (share.inseparable > 0) report.inseparable_masks.push_back(share);
  }
  CommandOutcome outcome;
  outcome.report = parsed.Has("--json") ? TuneJson(report) : TuneText(report);
  outcome.exit_code = result.Separated() ? kCheckPassed : kCheckFailed;
  return outcome;
}

}  // namespace

Subcommand TuneCommand() {
  return {"tune",
          "DEF MASK...",
          "writes a definition that keeps only the parts of DEF that hold "
          "on unseen\nfiles of the MASKs' folds and reject the --not files",
          {
              {"--not", OptionKind::kTexts, "MASK",
               "files the tuned definition must not match (may be repeated)"},
              {"--out", OptionKind::kText, "FILE",
               "where to write it (default tuned.mavo.xml)"},
              {"--folds", OptionKind::kNumber, "K",
               "folds of the evidence (2 to 100, default 5)", 2, kMaxFolds},
              {"--seed", OptionKind::kNumber, "N",
               "seed of the random split (default 1)"},
          },
          [](const ParsedCommand& parsed, std::string* err) {
            if (parsed.operands().empty()) {
              *err = "no definition file given";
              return false;
            }
            if (parsed.operands().size() == 1) {
              *err = "no samples mask given";
              return false;
            }
            return true;
          },
          RunTune};
}

}  // namespace mavoscan
