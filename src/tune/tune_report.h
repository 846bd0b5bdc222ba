#ifndef MAVOSCAN_TUNE_TUNE_REPORT_H_
#define MAVOSCAN_TUNE_TUNE_REPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "tune/tune.h"

namespace mavoscan {

// The schema of the JSON report, named in its "format" member.
constexpr char kTuneFormat[] = "mavocheck-tune/1";

// What a tune run tells its user besides the result itself.
// How many files of one --not mask cannot be separated.
struct MaskShare {
  std::string mask;
  size_t inseparable = 0;
  size_t files = 0;
};

struct TuneReport {
  std::string definition_file;
  // Empty when nothing was written.
  std::string output_file;
  const TuneResult* result = nullptr;
  // The --not masks that inseparable files came from, in the order given:
  // usually one mask per type, so these name the types that cannot be
  // told apart.
  std::vector<MaskShare> inseparable_masks;
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
