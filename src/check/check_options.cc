#include "check/check_options.h"

#include <charconv>

#include "driver/command_line.h"

namespace mavoscan {
namespace {

constexpr int kMaxFolds = 100;

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return ec == std::errc() && ptr == end && *value <= max;
}

}  // namespace

bool ParseCheckOptions(const std::string& text, CheckOptions* options,
                       std::string* err) {
  std::string rest = text;
  std::vector<std::string> arguments;
  for (;;) {
    std::string argument = NextArgument(&rest);
    if (argument.empty()) {
      // A quoted empty argument leaves text behind; the end leaves none.
      if (rest.empty()) break;
      *err = "an argument is empty";
      return false;
    }
    arguments.push_back(std::move(argument));
  }

  bool help = false;
  bool version = false;
  bool cross_check = false;
  bool options_ended = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      positional.push_back(argument);
      continue;
    }
    // "--folds=3" is "--folds 3".
    std::string value;
    bool has_value = false;
    if (const size_t equals = argument.find('=');
        argument.starts_with("--") && equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      has_value = true;
    }
    const bool takes_value =
        argument == "--not" || argument == "--folds" || argument == "--seed";
    if (has_value && !takes_value) {
      *err = argument + " takes no value";
      return false;
    }
    if (takes_value && !has_value) {
      if (i + 1 == arguments.size()) {
        *err = argument + (argument == "--not" ? " needs a files mask after it"
                                               : " needs a number after it");
        return false;
      }
      value = arguments[++i];
    }
    uint64_t number = 0;
    if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      help = true;
    } else if (argument == "--version") {
      version = true;
    } else if (argument == "--json") {
      options->format = ReportFormat::kJson;
    } else if (argument == "--explain") {
      options->explain = true;
    } else if (argument == "--strict") {
      options->strict = true;
    } else if (argument == "--cross-check") {
      cross_check = true;
    } else if (argument == "--no-strings") {
      options->no_strings = true;
    } else if (argument == "--not") {
      if (value.empty()) {
        *err = "--not needs a files mask after it";
        return false;
      }
      options->not_masks.push_back(value);
    } else if (argument == "--folds") {
      if (!ParseNumber(value, kMaxFolds, &number) || number < 2) {
        *err = "--folds takes a number from 2 to " + std::to_string(kMaxFolds);
        return false;
      }
      options->folds = static_cast<int>(number);
    } else if (argument == "--seed") {
      if (!ParseNumber(value, UINT64_MAX, &number)) {
        *err = "--seed takes a whole number of 0 or more";
        return false;
      }
      options->seed = number;
    } else {
      *err = "unknown option " + argument;
      return false;
    }
  }
  if (help || version) {
    options->action = help ? CheckAction::kHelp : CheckAction::kVersion;
    return true;
  }
  if (cross_check) {
    options->action = CheckAction::kCrossCheck;
    if (!options->not_masks.empty() || options->explain || options->strict) {
      *err = "--cross-check does not go with --not, --explain or --strict";
      return false;
    }
    if (positional.empty()) {
      *err = "no samples mask given";
      return false;
    }
    options->masks = positional;
    return true;
  }
  if (positional.empty()) {
    *err = "no definition file given";
    return false;
  }
  options->definition_file = positional[0];
  options->masks.assign(positional.begin() + 1, positional.end());
  if (options->masks.empty() && options->not_masks.empty()) {
    *err = "no files mask given";
    return false;
  }
  return true;
}

std::string CheckUsage() {
  return "Usage: mavocheck DEFINITION MASK... [--not MASK]... [--explain] "
         "[--strict] [--json]\n"
         "       mavocheck --cross-check MASK... [--folds K] [--seed N] "
         "[--no-strings] [--json]\n"
         "\n"
         "Verifies a definition on files: every file of the MASKs must match "
         "it,\n"
         "no file of a --not MASK may. Warns about weak definitions.\n"
         "\n"
         "  --not MASK      files that must not match (may be repeated)\n"
         "  --explain       how many files hold each pattern and string, the "
         "byte\n"
         "                  runs most files share but some break, and the "
         "groups\n"
         "                  a mixed set of files falls into\n"
         "  --strict        warnings fail the run too\n"
         "  --cross-check   build definitions from K-1 of K folds of the "
         "samples and\n"
         "                  test each on the fold left out: the share of "
         "unseen files\n"
         "                  expected to match, and a learning curve\n"
         "  --folds K       folds of the cross-check (2 to 100, default 5)\n"
         "  --seed N        seed of the cross-check's random split (default "
         "1)\n"
         "  --no-strings    cross-check definitions without global strings\n"
         "  --json          write the report as one JSON object\n"
         "  --help          show this text\n"
         "  --version       show the version\n"
         "\n"
         "Exit status: 0 when every file matches as it should (in a "
         "cross-check: every\n"
         "unseen file), 1 when one does not (or, with --strict, on a "
         "warning), 2 on a\n"
         "usage error, an unreadable or malformed definition, a mask that "
         "matches no\n"
         "file, or an unreadable file.\n";
}

}  // namespace mavoscan
