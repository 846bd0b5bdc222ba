#ifndef MAVOSCAN_CHECK_CROSS_CHECK_H_
#define MAVOSCAN_CHECK_CROSS_CHECK_H_

#include <cstdint>
#include <string>
#include <vector>

#include "check/cross_check_report.h"
#include "platform/platform.h"

namespace mavoscan {

struct CrossCheckSettings {
  // The samples.
  std::vector<std::string> masks;
  int folds = 5;
  uint64_t seed = 1;
  // Fold definitions with global strings, as the scanner builds them
  // without /NS.
  bool check_strings = true;
};

// Cross-checks the samples that settings.masks name: the samples are split
// into folds, and each fold is tested against a definition built, as the
// scanner builds a new one, from the other folds; a learning curve shows
// how that depends on the number of samples. Returns false with *err set
// when a mask matches nothing, there are fewer than 3 samples, or a sample
// cannot be read. Shows progress on a terminal; prints nothing else.
bool RunCrossCheck(Platform& platform, const CrossCheckSettings& settings,
                   CrossCheckResult* result, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CROSS_CHECK_H_
