#include "common/failure.h"

namespace mavoscan {

void AddReason(Platform& platform, Failure* failure) {
  std::string reason = platform.FailureReason();
  if (!reason.empty()) failure->details.push_back("(" + reason + ")");
}

}  // namespace mavoscan
