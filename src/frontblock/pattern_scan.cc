#include "frontblock/pattern_scan.h"

namespace mavoscan {

PatternList FindPatterns(const std::vector<std::string>&, int,
                         const std::string&, bool) {
  return {};
}

PatternList ScanPatterns(Platform&, const std::vector<std::string>&, int,
                         const std::string&, bool) {
  return {};
}

}  // namespace mavoscan
