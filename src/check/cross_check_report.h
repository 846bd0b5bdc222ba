#ifndef MAVOSCAN_CHECK_CROSS_CHECK_REPORT_H_
#define MAVOSCAN_CHECK_CROSS_CHECK_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/fold_plan.h"
#include "check/report_text.h"

namespace mavoscan {

// How one fold fared: a definition built from the other folds, tested on
// this fold's files.
struct FoldOutcome {
  size_t trained_on = 0;
  bool built = false;  // false: no pattern, so no definition
  size_t patterns = 0;
  size_t strings = 0;
  size_t matched = 0;
  size_t held_out = 0;
};

// A pattern or string of the fold definitions that unseen files lacked.
struct FailingPart {
  bool is_pattern = true;
  int64_t offset = 0;  // patterns only
  // A pattern's bytes, or a string as written (apostrophe for NUL).
  std::string bytes;
  size_t files = 0;  // unseen files that lacked it
  size_t folds = 0;  // folds whose definition held it and lost a file on it
};

struct CrossCheckResult {
  size_t sample_count = 0;
  uint64_t seed = 1;
  bool leave_one_out = false;
  int requested_folds = 0;
  bool check_strings = true;
  std::vector<FoldOutcome> folds;
  // The parts that failed most often, most files first; at most
  // kMaxFailingParts of `failing_count`.
  std::vector<FailingPart> failing;
  size_t failing_count = 0;
  // Built from the first samples of folds 2 to k, tested on fold 1; the
  // last point is fold 1's own definition.
  std::vector<CurvePoint> curve;

  size_t Matched() const;
  // Every held-out file matched.
  bool Passed() const;
};

constexpr size_t kMaxFailingParts = 10;

// The report as text, lines ending in "\n"; bars only on a terminal.
std::string CrossCheckText(const CrossCheckResult& result, TextStyle style);

// The schema of the cross-check's JSON report, its "format" member.
constexpr char kCrossCheckFormat[] = "mavocheck-cross-check/1";

// The same content as one JSON object and a line end.
std::string CrossCheckJson(const CrossCheckResult& result);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CROSS_CHECK_REPORT_H_
