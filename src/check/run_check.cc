#include "check/run_check.h"

#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "check/check_commands.h"
#include "common/command_table.h"
#include "common/program.h"
#include "common/text.h"

// Unlike the scanner, whose console lines end in CR LF on every system for
// compatibility with its existing users, the checker is a POSIX-style
// program whose output goes to scripts and pipes: its lines end in "\n",
// its report goes to standard output and its errors to standard error.

namespace mavoscan {
namespace {

constexpr std::string_view kProgram = "mavocheck";

// The message may hold names as the user gave them: their control bytes
// are escaped, so that an error stays one line.
int Error(Platform& platform, const std::string& message) {
  platform.WriteError(std::string(kProgram) + ": error: " + ShownName(message) +
                      "\n");
  return kCheckError;
}

// A usage line that starts at `column`, broken before an option where it
// would pass 79 columns, the rest indented by `indent`.
std::string Wrapped(const std::string& line, size_t column, size_t indent) {
  constexpr size_t kWidth = 79;
  std::string text;
  size_t start = 0;
  while (start < line.size()) {
    size_t end = line.find(" [", start + 1);
    if (end == std::string::npos) end = line.size();
    const std::string_view word =
        std::string_view(line).substr(start, end - start);
    if (column > indent && column + word.size() > kWidth) {
      text += "\n" + std::string(indent, ' ');
      column = indent;
      text += word.substr(1);
      column += word.size() - 1;
    } else {
      text += word;
      column += word.size();
    }
    start = end;
  }
  return text;
}

const Subcommand* FindCommand(std::string_view name) {
  for (const Subcommand& command : CheckCommands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

// The arguments before "--", where options are options.
std::vector<std::string> OptionPart(const std::vector<std::string>& arguments) {
  std::vector<std::string> part;
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    part.push_back(argument);
  }
  return part;
}

bool Holds(const std::vector<std::string>& arguments, std::string_view a,
           std::string_view b = {}) {
  for (const std::string& argument : arguments) {
    if (argument == a || (!b.empty() && argument == b)) return true;
  }
  return false;
}

std::string ExitStatusText() {
  return "Exit status: 0 when every file matches as it should (in a "
         "cross-check: every\nunseen file), 1 when one does not (or, with "
         "--strict, on a warning), 2 on a\nusage error, an unreadable or "
         "malformed definition, a mask that matches no\nfile, an unreadable "
         "file or a report that cannot be written.\n";
}

std::string ProgramUsage() {
  std::string text;
  for (const Subcommand& command : CheckCommands()) {
    text += (text.empty() ? "Usage: " : "       ") +
            Wrapped(UsageLine(kProgram, command), 7, 17) + "\n";
  }
  text += "       mavocheck --help | --version\n\n";
  text += "Tests file-type definitions that mavoscan writes against files.\n\n";
  text += "Subcommands:\n";
  for (const Subcommand& command : CheckCommands()) {
    std::string name(command.name);
    name.resize(14, ' ');
    std::string summary(command.summary);
    for (size_t at = 0; (at = summary.find('\n', at)) != std::string::npos;
         at += 17) {
      summary.replace(at, 1, "\n" + std::string(16, ' '));
    }
    text += "  " + name + summary + "\n";
  }
  text +=
      "\nWithout a subcommand, \"mavocheck DEF MASK...\" is verify and "
      "\"mavocheck\n--cross-check MASK...\" is cross-check. A name without * "
      "or ? is one file,\ntaken as written; a mask matches names ignoring "
      "ASCII case.\n\nOptions of every subcommand:\n" +
      OptionLines(CommonOptions()) +
      "\n\"mavocheck SUBCOMMAND --help\" shows a subcommand's own "
      "options.\n\n" +
      ExitStatusText();
  return text;
}

std::string CommandUsage(const Subcommand& command) {
  std::vector<OptionSpec> options = command.options;
  options.insert(options.end(), CommonOptions().begin(), CommonOptions().end());
  return "Usage: " + Wrapped(UsageLine(kProgram, command), 7, 17) + "\n\n" +
         std::string(1, static_cast<char>(command.summary[0] - 'a' + 'A')) +
         std::string(command.summary.substr(1)) + ".\n\nOptions:\n" +
         OptionLines(options) + "\n" +
         (command.exit_status.empty() ? ExitStatusText()
                                      : std::string(command.exit_status));
}

int Report(Platform& platform, const std::string& text, int exit_code) {
  if (!platform.WriteReport(text)) {
    std::string message = "cannot write the report";
    const std::string reason = platform.FailureReason();
    if (!reason.empty()) message += " (" + reason + ")";
    return Error(platform, message);
  }
  return exit_code;
}

int RunCheckUnguarded(Platform& platform) {
  platform.ReturnLargeBlocksWhenFreed();
  std::vector<std::string> arguments = platform.Arguments();
  const Subcommand* command =
      arguments.empty() ? nullptr : FindCommand(arguments[0]);
  const bool named = command != nullptr;
  if (named) {
    arguments.erase(arguments.begin());
  } else {
    // Today's forms: "--cross-check" anywhere among the options makes a
    // cross-check, anything else is a verification.
    command = FindCommand("verify");
    for (size_t i = 0; i < arguments.size() && arguments[i] != "--"; ++i) {
      if (arguments[i] == "--cross-check") {
        command = FindCommand("cross-check");
        arguments.erase(arguments.begin() + static_cast<ptrdiff_t>(i));
        break;
      }
    }
  }

  const std::vector<std::string> option_part = OptionPart(arguments);
  if (Holds(option_part, "--help", "-h")) {
    return Report(platform, named ? CommandUsage(*command) : ProgramUsage(),
                  kCheckPassed);
  }
  if (Holds(option_part, "--version")) {
    return Report(platform, std::string(kCheckerVersion) + "\n", kCheckPassed);
  }

  ParsedCommand parsed;
  std::string err;
  if (!ParseCommand(*command, arguments, &parsed, &err)) {
    return Error(platform, err + " (see mavocheck " +
                               (named ? std::string(command->name) + " " : "") +
                               "--help)");
  }
  const CommandOutcome outcome = command->run(platform, parsed);
  for (const std::string& note : outcome.notes) {
    platform.WriteError(std::string(kProgram) + ": " + note + "\n");
  }
  if (!outcome.error.empty()) return Error(platform, outcome.error);
  return Report(platform, outcome.report, outcome.exit_code);
}

}  // namespace

int RunCheck(Platform& platform) {
  // Out of memory, anywhere in a run, unwinds to here: on the way the
  // progress line is wiped and the terminal restored, and the run ends as
  // any other failed run does.
  try {
    return RunCheckUnguarded(platform);
  } catch (const std::bad_alloc&) {
    return Error(platform, "out of memory");
  } catch (const std::system_error& error) {
    return Error(platform, std::string("cannot start a thread (") +
                               error.code().message() + ")");
  }
}

}  // namespace mavoscan
