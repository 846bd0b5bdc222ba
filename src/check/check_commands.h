#ifndef MAVOSCAN_CHECK_CHECK_COMMANDS_H_
#define MAVOSCAN_CHECK_CHECK_COMMANDS_H_

#include <vector>

#include "common/command_table.h"

namespace mavoscan {

// Exit codes of the checker.
constexpr int kCheckPassed = 0;
constexpr int kCheckFailed = 1;
constexpr int kCheckError = 2;

// The subcommands of mavocheck, in the order its usage lists them. A new
// one is a Subcommand made in its own folder (src/tune: TuneCommand()) and
// one line in this list.
const std::vector<Subcommand>& CheckCommands();

// Today's verification and cross-check as subcommands, each with its
// options, checks and a run that returns its report as data.
Subcommand VerifyCommand();
Subcommand ExplainCommand();
Subcommand CrossCheckCommand();

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CHECK_COMMANDS_H_
