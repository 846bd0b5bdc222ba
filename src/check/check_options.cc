#include "check/check_options.h"

#include "driver/command_line.h"

namespace mavoscan {

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
  bool options_ended = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      positional.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      help = true;
    } else if (argument == "--version") {
      version = true;
    } else if (argument == "--json") {
      options->format = ReportFormat::kJson;
    } else if (argument == "--not") {
      if (i + 1 == arguments.size()) {
        *err = "--not needs a files mask after it";
        return false;
      }
      options->not_masks.push_back(arguments[++i]);
    } else {
      *err = "unknown option " + argument;
      return false;
    }
  }
  if (help || version) {
    options->action = help ? CheckAction::kHelp : CheckAction::kVersion;
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
  return "Usage: mavocheck DEFINITION MASK... [--not MASK]... [--json]\n"
         "\n"
         "Verifies a definition on files: every file of the MASKs must match "
         "it,\n"
         "no file of a --not MASK may.\n"
         "\n"
         "  --not MASK   files that must not match (may be repeated)\n"
         "  --json       write the report as one JSON object\n"
         "  --help       show this text\n"
         "  --version    show the version\n"
         "\n"
         "Exit status: 0 when every file matches as it should, 1 when one does "
         "not,\n"
         "2 on a usage error, an unreadable or malformed definition, a mask "
         "that\n"
         "matches no file, or an unreadable file.\n";
}

}  // namespace mavoscan
