#include "common/failure.h"

namespace mavoscan {

void AddReason(Platform& platform, Failure* failure) {
  std::string reason = platform.FailureReason();
  if (!reason.empty()) failure->details.push_back("(" + reason + ")");
}

Failure OpenFailure(Platform& platform, const std::string& path) {
  Failure failure{true, "* Error: Unable to open file <" + path + ">", {}};
  AddReason(platform, &failure);
  return failure;
}

}  // namespace mavoscan
