// Builds the tool with the plain reference string analysis from the tests in
// place of the fast one, so the benchmark can compare the two end to end.

#include "strings/string_analysis.h"
#include "support/string_oracle.h"

namespace mavoscan {

bool AnalyseStrings(Platform& platform, StringMode mode,
                    const std::vector<std::string>& inherited,
                    SampleSet* samples, std::vector<std::string>* strings,
                    Failure* failure) {
  return OracleAnalyseStrings(platform, mode, inherited, samples, strings,
                              failure);
}

}  // namespace mavoscan
