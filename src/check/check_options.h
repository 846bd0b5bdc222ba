#ifndef MAVOSCAN_CHECK_CHECK_OPTIONS_H_
#define MAVOSCAN_CHECK_CHECK_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace mavoscan {

enum class CheckAction { kVerify, kCrossCheck, kHelp, kVersion };
enum class ReportFormat { kText, kJson };

// The parsed command line of the checker.
struct CheckOptions {
  CheckAction action = CheckAction::kVerify;
  ReportFormat format = ReportFormat::kText;
  std::string definition_file;
  // Masks of the files that must match, and of those that must not.
  std::vector<std::string> masks;
  std::vector<std::string> not_masks;
  // Per pattern and string counts, broken runs and groups of the files.
  bool explain = false;
  // Weakness warnings fail the run too.
  bool strict = false;
  // Cross-check: the masks are the samples, there is no definition.
  int folds = 5;
  uint64_t seed = 1;
  // Definitions built without global strings, as the scanner's /NS builds
  // them.
  bool no_strings = false;
};

// Parses the command-line text (arguments split as the scanner splits
// them). "--help" or "--version" anywhere wins over everything else. With
// "--cross-check" every plain argument is a mask of samples; otherwise the
// first is the definition. Returns false with *err set for an unknown
// option, an option without its value or with a value out of range, an
// empty argument, a missing definition, no mask at all, or options that do
// not go together.
bool ParseCheckOptions(const std::string& text, CheckOptions* options,
                       std::string* err);

// The text "--help" shows, lines ending in "\n".
std::string CheckUsage();

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CHECK_OPTIONS_H_
