#include "output/output_rotation.h"

namespace mavoscan {

bool CheckRefinableInPlace(Platform&, const std::string&, std::string*) {
  return true;
}

bool RotateOutput(Platform&, bool, const std::string&, std::string*) {
  return true;
}

}  // namespace mavoscan
