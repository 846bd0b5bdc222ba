#ifndef MAVOSCAN_TUNE_TUNE_REPORT_H_
#define MAVOSCAN_TUNE_TUNE_REPORT_H_

#include <string>

#include "tune/tune.h"

namespace mavoscan {

// What a tune run tells its user besides the result itself.
struct TuneReport {
  std::string definition_file;
  // Empty when nothing was written.
  std::string output_file;
  const TuneResult* result = nullptr;
};

// The report as text, lines ending in "\n".
std::string TuneText(const TuneReport& report);

// A short fixed name of a reason, for scripts ("not-needed", ...).
std::string DropReasonKey(DropReason reason);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_TUNE_REPORT_H_
