#ifndef MAVOSCAN_COMMON_COMMAND_TABLE_H_
#define MAVOSCAN_COMMON_COMMAND_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace mavoscan {

class Platform;
struct Subcommand;

// A program of subcommands ("mavocheck verify DEF MASK..."), described by
// one table that serves the parser, the checks of what goes with what and
// the usage text. A subcommand states its operands and its options; an
// option that is not in a subcommand's table does not go with it.
//
// Arguments are taken as the system handed them over. "--name=value" is
// "--name value"; "--" ends the options, so that every later argument is an
// operand; "-" and every argument that does not begin with "-" are
// operands. Options and operands may come in any order.

enum class OptionKind {
  kFlag,    // --strict
  kText,    // --out FILE; the last one given counts
  kTexts,   // --not MASK, repeatable, every one kept in order
  kNumber,  // --folds K, a decimal whole number within [min, max]
};

struct OptionSpec {
  std::string_view name;  // "--folds"
  OptionKind kind = OptionKind::kFlag;
  // The value's name in the usage text ("K"); empty for a flag.
  std::string_view value_name;
  // What the option does, one line of the usage text.
  std::string_view help;
  uint64_t min = 0;
  uint64_t max = UINT64_MAX;
};

// A parsed command line of one subcommand.
class ParsedCommand {
 public:
  const std::vector<std::string>& operands() const { return operands_; }
  bool Has(std::string_view option) const;
  // The value of a kText option; empty when it was not given.
  std::string Text(std::string_view option) const;
  // Every value of a kTexts option, in order.
  std::vector<std::string> Texts(std::string_view option) const;
  // The value of a kNumber option, or `fallback` when it was not given.
  uint64_t Number(std::string_view option, uint64_t fallback) const;

 private:
  friend bool ParseCommand(const Subcommand& command,
                           const std::vector<std::string>& arguments,
                           ParsedCommand* parsed, std::string* err);
  std::vector<std::string> operands_;
  std::map<std::string, std::vector<std::string>, std::less<>> values_;
};

// What a subcommand hands back to the program's entry, which alone writes
// it: the report for standard output, notes for standard error, and the
// exit code. An error ends the run with `error` (the text after the
// program's "error: " prefix) and nothing on standard output.
struct CommandOutcome {
  int exit_code = 0;
  std::string report;
  std::vector<std::string> notes;
  std::string error;
};

// The outcome of a subcommand that ends on `error`: a usage, definition or
// read error, exit code 2.
CommandOutcome ErrorOutcome(std::string error);

struct Subcommand {
  std::string_view name;  // "verify"
  // The operands in the usage text ("DEF MASK...").
  std::string_view operands;
  // One line saying what it does.
  std::string_view summary;
  std::vector<OptionSpec> options;
  // Checks the operands and the values that depend on each other once the
  // table's own checks have passed; returns false with *err set.
  std::function<bool(const ParsedCommand&, std::string* err)> check;
  std::function<CommandOutcome(Platform&, const ParsedCommand&)> run;
  // The exit codes in the subcommand's usage text, lines ending in "\n",
  // when they are not the program's own.
  std::string_view exit_status = {};
};

// The options that every subcommand takes besides its own.
const std::vector<OptionSpec>& CommonOptions();

// Parses `arguments` (the subcommand's name already removed) by the table
// of `command` and CommonOptions. Returns false with *err set for an
// unknown option or one that does not go with the subcommand, an option
// without its value or with a value it does not take, a number out of
// range, an empty operand or a failed `check`.
bool ParseCommand(const Subcommand& command,
                  const std::vector<std::string>& arguments,
                  ParsedCommand* parsed, std::string* err);

// "mavocheck verify DEF MASK... [--not MASK]... [--strict] [--json]".
std::string UsageLine(std::string_view program, const Subcommand& command);

// The options of `command` (CommonOptions last), one or more lines each,
// help aligned after the names, every line ending in "\n".
std::string OptionLines(const std::vector<OptionSpec>& options);

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_COMMAND_TABLE_H_
