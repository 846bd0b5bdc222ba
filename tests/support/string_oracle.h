#ifndef MAVOSCAN_TESTS_SUPPORT_STRING_ORACLE_H_
#define MAVOSCAN_TESTS_SUPPORT_STRING_ORACLE_H_

#include <string>
#include <vector>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// The global-string analysis done the plain way: every candidate held as its
// own string, searched in every whole sample text, and the all-pairs
// erasure. Same contract and same console output as AnalyseStrings; the
// tests and the benchmark compare the fast implementation against it.
bool OracleAnalyseStrings(Platform& platform, StringMode mode,
                          const std::vector<std::string>& inherited,
                          SampleSet* samples, std::vector<std::string>* strings,
                          Failure* failure);

namespace oracle {

// The steps of the plain analysis, for the tests of the worked examples.

// Fields of `text` between delimiter bytes, empty ones included.
std::vector<std::string> CutFields(const std::string& text);
// The candidate list of `raw` (sorted here, as the analysis does), in order.
std::vector<std::string> MakeCandidates(std::vector<std::string> raw);
// Blanks every candidate contained in another at least as long, in index
// order, then returns the non-empty ones in index order.
std::vector<std::string> EraseContained(std::vector<std::string> candidates);
// The length ordering of the gathered strings.
void OrderByLength(std::vector<std::string>* strings);

}  // namespace oracle
}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_SUPPORT_STRING_ORACLE_H_
