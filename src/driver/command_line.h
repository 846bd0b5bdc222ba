#ifndef MAVOSCAN_DRIVER_COMMAND_LINE_H_
#define MAVOSCAN_DRIVER_COMMAND_LINE_H_

#include <functional>
#include <string>

#include "common/failure.h"
#include "common/next_argument.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// The parsed command line of one run.
struct RunOptions {
  std::string mask_argument;
  // mask_argument up to and including its last path separator.
  std::string sample_path;
  std::string definition_file;
  bool refining = false;
  // A refinement inherits the base definition's strings unless a switch
  // says otherwise; the base may then still turn out to have none.
  StringMode strings = StringMode::kRescan;
  std::string output_file;
};

enum class ParseOutcome { kRun, kHelp, kError };

// What the parser may ask the system about a name. A second argument that
// begins with "/" but is no switch names the base definition when it is an
// existing file (an absolute path on POSIX); when it is too long to be
// one, that is the error rather than an illegal parameter.
struct NameChecks {
  std::function<bool(const std::string&)> is_file;
  std::function<bool(const std::string&)> too_long;
};

// Parses the command-line text into *options. kError sets *failure; kHelp
// means the first argument asked for the usage text.
ParseOutcome ParseCommandLine(const std::string& text, RunOptions* options,
                              Failure* failure, const NameChecks& names = {});

void PrintBanner(Platform& platform);
void PrintUsage(Platform& platform);

}  // namespace mavoscan

#endif  // MAVOSCAN_DRIVER_COMMAND_LINE_H_
