#ifndef MAVOSCAN_CHECK_CHECK_OPTIONS_H_
#define MAVOSCAN_CHECK_CHECK_OPTIONS_H_

#include <string>
#include <vector>

namespace mavoscan {

enum class CheckAction { kVerify, kHelp, kVersion };
enum class ReportFormat { kText, kJson };

// The parsed command line of the checker.
struct CheckOptions {
  CheckAction action = CheckAction::kVerify;
  ReportFormat format = ReportFormat::kText;
  std::string definition_file;
  // Masks of the files that must match, and of those that must not.
  std::vector<std::string> masks;
  std::vector<std::string> not_masks;
};

// Parses the command-line text (arguments split as the scanner splits
// them). "--help" or "--version" anywhere wins over everything else. Returns
// false with *err set for an unknown option, a "--not" without a mask, an
// empty argument, a missing definition or no mask at all.
bool ParseCheckOptions(const std::string& text, CheckOptions* options,
                       std::string* err);

// The text "--help" shows, lines ending in "\n".
std::string CheckUsage();

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CHECK_OPTIONS_H_
