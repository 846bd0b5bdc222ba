#ifndef MAVOSCAN_COMMON_PROGRAM_H_
#define MAVOSCAN_COMMON_PROGRAM_H_

#include <string_view>

namespace mavoscan {

// The program's name and version as users see them: on the banner line and
// as the Creator of every definition it writes.
constexpr std::string_view kProgramVersion = "MavoScan32 v1.56";
// The checker's name and version, as its --version shows them.
constexpr std::string_view kCheckerVersion = "mavocheck 1.56";

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_PROGRAM_H_
