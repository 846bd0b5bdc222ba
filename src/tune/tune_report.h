#ifndef MAVOSCAN_TUNE_TUNE_REPORT_H_
#define MAVOSCAN_TUNE_TUNE_REPORT_H_

#include <string>
#include <string_view>

#include "tune/tune.h"

namespace mavoscan {

// The schema of the JSON report, named in its "format" member.
constexpr char kTuneFormat[] = "mavocheck-tune/1";

// What a tune run tells its user besides the result itself.
struct TuneReport {
  std::string definition_file;
  // Empty when nothing was written.
  std::string output_file;
  const TuneResult* result = nullptr;
};

// The report as text, lines ending in "\n". Control bytes in names show
// as \xHH.
std::string TuneText(const TuneReport& report);

// The same content as one JSON object and a line end, every list in full.
std::string TuneJson(const TuneReport& report);

// A short fixed name of a reason, for scripts ("not-needed", ...).
std::string DropReasonKey(DropReason reason);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_TUNE_REPORT_H_
