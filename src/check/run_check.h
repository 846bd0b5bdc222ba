#ifndef MAVOSCAN_CHECK_RUN_CHECK_H_
#define MAVOSCAN_CHECK_RUN_CHECK_H_

#include <string>

#include "platform/platform.h"

namespace mavoscan {

// Exit codes of the checker.
constexpr int kCheckPassed = 0;
constexpr int kCheckFailed = 1;
constexpr int kCheckError = 2;

// Writes "mavocheck: error: " and `message` as one line and returns
// kCheckError.
int CheckError(Platform& platform, const std::string& message);

// One whole run of the checker: options, definition, files, report. Returns
// kCheckPassed when every file matches as it should (or for --help and
// --version), kCheckFailed when one does not, kCheckError after printing
// "mavocheck: error: ..." for a usage error, a definition that cannot be
// read or used, a mask that matches no file, or a file that cannot be read.
int RunCheck(Platform& platform);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_RUN_CHECK_H_
