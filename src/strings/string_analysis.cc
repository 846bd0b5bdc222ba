#include "strings/string_analysis.h"

namespace mavoscan {

bool AnalyseStrings(Platform&, bool, const std::vector<std::string>&,
                    SampleSet*, std::vector<std::string>*, std::string*) {
  return true;
}

}  // namespace mavoscan
