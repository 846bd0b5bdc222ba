#ifndef MAVOSCAN_CHECK_RUN_CHECK_H_
#define MAVOSCAN_CHECK_RUN_CHECK_H_

#include "platform/platform.h"

namespace mavoscan {

// One whole run of the checker, the only place that writes its results: the
// arguments as the system gave them, the subcommand they name (or today's
// forms without one: "DEF MASK..." verifies, "--cross-check MASK..."
// cross-checks), its run, then the report on standard output. Returns
// kCheckPassed when every file matches as it should (or for --help and
// --version), kCheckFailed when one does not, and kCheckError after
// writing one line "mavocheck: error: ..." to standard error for a usage
// error, a definition that cannot be read or used, a mask that matches no
// file, a file that cannot be read, a report that cannot be written whole,
// or memory running out.
int RunCheck(Platform& platform);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_RUN_CHECK_H_
