#ifndef MAVOSCAN_CHECK_CROSS_CHECK_H_
#define MAVOSCAN_CHECK_CROSS_CHECK_H_

#include "check/check_options.h"
#include "platform/platform.h"

namespace mavoscan {

// Runs the cross-check of the samples that options.masks name and prints
// its report. Returns kCheckPassed when every sample matched the definition
// built without it, kCheckFailed when one did not, and kCheckError after
// printing "mavocheck: error: ..." when a mask matches nothing or a sample
// cannot be read.
int RunCrossCheck(Platform& platform, const CheckOptions& options);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CROSS_CHECK_H_
