#include "check/check_commands.h"

#include <string>
#include <utility>

#include "check/cross_check.h"
#include "check/cross_check_report.h"
#include "check/verify.h"
#include "common/json_writer.h"
#include "export/export_command.h"
#include "identify/identify_command.h"
#include "platform/platform.h"
#include "tune/split_command.h"
#include "tune/tune_command.h"

namespace mavoscan {
namespace {

constexpr int kMaxFolds = 100;

std::vector<OptionSpec> VerifyOptions(bool with_explain) {
  std::vector<OptionSpec> options = {
      {"--not", OptionKind::kTexts, "MASK",
       "files that must not match (may be repeated)"},
      {"--strict", OptionKind::kFlag, "", "warnings fail the run too"},
  };
  if (with_explain) {
    options.push_back({"--explain", OptionKind::kFlag, "",
                       "add what the explain subcommand shows"});
  }
  return options;
}

bool CheckVerifyOperands(const ParsedCommand& parsed, std::string* err) {
  if (parsed.operands().empty()) {
    *err = "no definition file given";
    return false;
  }
  if (parsed.operands().size() == 1 && !parsed.Has("--not")) {
    *err = "no files mask given";
    return false;
  }
  return true;
}

CommandOutcome RunVerifyCommand(Platform& platform, const ParsedCommand& parsed,
                                bool explain) {
  const std::vector<std::string>& operands = parsed.operands();
  VerifySettings settings;
  settings.definition_file = operands[0];
  settings.masks.assign(operands.begin() + 1, operands.end());
  settings.not_masks = parsed.Texts("--not");
  settings.explain = explain || parsed.Has("--explain");
  settings.strict = parsed.Has("--strict");
  VerifyResult result;
  std::string err;
  if (!RunVerify(platform, settings, &result, &err)) return ErrorOutcome(err);

  CommandOutcome outcome;
  if (parsed.Has("--json")) {
    JsonWriter json;
    json.BeginObject();
    json.Member("format", kVerifyFormat);
    VerifyJson(result.report, &json);
    WeaknessJson(result.weakness, &json);
    if (result.explained) {
      json.Key("explain");
      ExplainJson(*result.explained, &json);
    }
    json.Member("passed", result.passed);
    json.EndObject();
    outcome.report = json.Take() + "\n";
  } else {
    const TextStyle style{platform.ConsoleIsTerminal()};
    outcome.report = TextReport(result.report) + WeaknessText(result.weakness);
    if (result.explained)
      outcome.report += ExplainText(*result.explained, style);
  }
  outcome.exit_code = result.passed ? kCheckPassed : kCheckFailed;
  return outcome;
}

}  // namespace

const std::vector<Subcommand>& CheckCommands() {
  static const std::vector<Subcommand> kCommands = {
      VerifyCommand(), ExplainCommand(), CrossCheckCommand(), TuneCommand(),
      SplitCommand(),  ExportCommand(),  IdentifyCommand(),
  };
  return kCommands;
}

Subcommand VerifyCommand() {
  return {"verify",
          "DEF MASK...",
          "tests files against a definition: every file named must\n"
          "match it, no --not file may; warns about weak definitions",
          VerifyOptions(/*with_explain=*/true),
          CheckVerifyOperands,
          [](Platform& platform, const ParsedCommand& parsed) {
            return RunVerifyCommand(platform, parsed, /*explain=*/false);
          }};
}

Subcommand ExplainCommand() {
  return {"explain",
          "DEF MASK...",
          "verifies, then shows how many files hold each pattern and\n"
          "string, the byte runs most files share but some break, and\n"
          "the groups a mixed set falls into",
          VerifyOptions(/*with_explain=*/false),
          CheckVerifyOperands,
          [](Platform& platform, const ParsedCommand& parsed) {
            return RunVerifyCommand(platform, parsed, /*explain=*/true);
          }};
}

Subcommand CrossCheckCommand() {
  return {"cross-check",
          "MASK...",
          "builds definitions from K-1 of K folds of the samples and\n"
          "tests each on the fold left out: the share of unseen files\n"
          "expected to match, and a learning curve",
          {
              {"--folds", OptionKind::kNumber, "K",
               "folds of the cross-check (2 to 100, default 5)", 2, kMaxFolds},
              {"--seed", OptionKind::kNumber, "N",
               "seed of the random split (default 1)"},
              {"--no-strings", OptionKind::kFlag, "",
               "definitions without global strings, as the scanner's /NS"},
          },
          [](const ParsedCommand& parsed, std::string* err) {
            if (parsed.operands().empty()) {
              *err = "no samples mask given";
              return false;
            }
            return true;
          },
          [](Platform& platform, const ParsedCommand& parsed) {
            CrossCheckSettings settings;
            settings.masks = parsed.operands();
            settings.folds = static_cast<int>(parsed.Number("--folds", 5));
            settings.seed = parsed.Number("--seed", 1);
            settings.check_strings = !parsed.Has("--no-strings");
            CrossCheckResult result;
            std::string err;
            if (!RunCrossCheck(platform, settings, &result, &err)) {
              return ErrorOutcome(err);
            }
            CommandOutcome outcome;
            outcome.report =
                parsed.Has("--json")
                    ? CrossCheckJson(result)
                    : CrossCheckText(result,
                                     TextStyle{platform.ConsoleIsTerminal()});
            outcome.exit_code = result.Passed() ? kCheckPassed : kCheckFailed;
            return outcome;
          }};
}

}  // namespace mavoscan
