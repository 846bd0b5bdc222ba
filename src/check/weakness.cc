#include "check/weakness.h"

namespace mavoscan {

std::vector<Weakness> FindWeaknesses(const VerifyReport& /*report*/) {
  return {};
}

std::string WeaknessText(const std::vector<Weakness>& /*weaknesses*/) {
  return "";
}

std::string WeaknessJson(const std::vector<Weakness>& /*weaknesses*/) {
  return "[]";
}

}  // namespace mavoscan
