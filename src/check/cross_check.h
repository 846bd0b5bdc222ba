#ifndef MAVOSCAN_CHECK_CROSS_CHECK_H_
#define MAVOSCAN_CHECK_CROSS_CHECK_H_

#include "check/check_options.h"
#include "platform/platform.h"

namespace mavoscan {

// Runs the cross-check of the samples that options.masks name and prints
// its report: the samples are split into folds, and each fold is tested
// against a definition built, as the scanner builds a new one, from the
// other folds; a learning curve shows how that depends on the number of
// samples. Returns kCheckPassed when every sample matched the definition
// built without it, kCheckFailed when one did not, and kCheckError after
// printing "mavocheck: error: ..." when a mask matches nothing, there are
// fewer than 3 samples, or a sample cannot be read.
int RunCrossCheck(Platform& platform, const CheckOptions& options);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CROSS_CHECK_H_
