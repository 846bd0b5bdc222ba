#include "driver/command_line.h"

#include <algorithm>
#include <utility>

#include "common/console.h"
#include "common/program.h"
#include "common/text.h"
#include "output/definition_writer.h"

namespace mavoscan {
namespace {

bool IsStringSwitch(const std::string& argument) {
  std::string upper = UpperCase(argument);
  return upper == "/NS" || upper == "/FS";
}

}  // namespace

ParseOutcome ParseCommandLine(const std::string& text, RunOptions* options,
                              Failure* failure, const NameChecks& names) {
  auto error = [failure](std::string message) {
    *failure = {true, std::move(message), {}};
    return ParseOutcome::kError;
  };
  if (std::count(text.begin(), text.end(), '"') % 2 != 0) {
    return error("* Error: double quotes doesn't match!");
  }
  std::string rest = text;
  options->mask_argument = NextArgument(&rest);
  if (options->mask_argument.empty()) {
    return error("* Error: file mask needed (es: *.exe)");
  }
  std::string first = UpperCase(options->mask_argument);
  // "--HELP" is added to the help switches because POSIX users type it
  // first.
  if (std::string_view("|/?|-?|/H|-H|/HELP|-HELP|").find("|" + first + "|") !=
          std::string_view::npos ||
      first == "--HELP") {
    return ParseOutcome::kHelp;
  }

  std::string argument = NextArgument(&rest);
  // A leading "/" marks a switch, but on POSIX it also starts every
  // absolute path; an existing file that is not one of the two switches is
  // therefore taken as the base definition.
  const bool maybe_path =
      !argument.empty() && argument[0] == '/' && !IsStringSwitch(argument);
  if (maybe_path && names.too_long && names.too_long(argument)) {
    return error(NameTooLongError(argument));
  }
  bool names_file = !argument.empty() &&
                    (argument[0] != '/' ||
                     (maybe_path && names.is_file && names.is_file(argument)));
  if (names_file) {
    options->definition_file = argument;
    options->refining = true;
    options->strings = StringMode::kInherit;
    argument = NextArgument(&rest);
  }
  while (!argument.empty()) {
    std::string upper = UpperCase(argument);
    if (upper == "/NS") {
      options->strings = StringMode::kNone;
    } else if (upper == "/FS") {
      options->strings = StringMode::kRescan;
    } else {
      return error("* Error: Illegal parameter '" + argument + "'");
    }
    argument = NextArgument(&rest);
  }
  options->output_file =
      options->refining ? options->definition_file : kNewDefinitionFile;
  return ParseOutcome::kRun;
}

void PrintBanner(Platform& platform) {
  PrintLine(platform, "");
  PrintLine(platform,
            std::string(kProgramVersion) +
                " - file type definition builder, (c) 2026 the MavoScan "
                "developers");
}

void PrintUsage(Platform& platform) {
  PrintLine(platform, "");
  PrintLine(platform,
            "Usage: MavoScan [path]<files mask> [[path]<def_file>] "
            "[</FS>|</NS>]");
  PrintLine(platform, "");
  PrintLine(platform, "Where: <files mask> Files to scan for patterns");
  PrintLine(platform,
            "       <def_file>   Specify a base definition to refine");
  PrintLine(platform,
            "       /FS          Force strings (re)scanning (when refining)");
  PrintLine(platform,
            "       /NS          Don't scan for strings (remove them when "
            "refining)");
  PrintLine(platform, "       /?           This help!");
}

}  // namespace mavoscan
