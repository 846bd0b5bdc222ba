#ifndef MAVOSCAN_BENCH_DEFINITION_COMPARE_H_
#define MAVOSCAN_BENCH_DEFINITION_COMPARE_H_

#include <string_view>

namespace mavoscan {

// True when two definition files hold the same lines, leaving out the lines
// of the date and time of writing (<Year> <Month> <Day> <Hour> <Min> <Sec>),
// which differ between any two runs.
bool SameDefinition(std::string_view a, std::string_view b);

}  // namespace mavoscan

#endif  // MAVOSCAN_BENCH_DEFINITION_COMPARE_H_
