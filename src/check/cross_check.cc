#include "check/cross_check.h"

#include "check/run_check.h"

namespace mavoscan {

int RunCrossCheck(Platform& platform, const CheckOptions& /*options*/) {
  platform.Write("mavocheck: error: --cross-check is not built yet\n");
  return kCheckError;
}

}  // namespace mavoscan
