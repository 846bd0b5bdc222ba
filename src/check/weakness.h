#ifndef MAVOSCAN_CHECK_WEAKNESS_H_
#define MAVOSCAN_CHECK_WEAKNESS_H_

#include <string>
#include <vector>

#include "check/verify_report.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// One thing that makes a definition weak.
struct Weakness {
  // A short fixed name for scripts ("zero-pattern", ...).
  std::string kind;
  // What is weak and why, one line without its end.
  std::string text;
};

// The weaknesses of the definition of `report`, and against its --not
// files, the measured false matches.
std::vector<Weakness> FindWeaknesses(const VerifyReport& report);

// The warnings section as text (empty when there is none), lines ending in
// "\n", beginning with an empty line.
std::string WeaknessText(const std::vector<Weakness>& weaknesses);

// The same as one JSON array.
std::string WeaknessJson(const std::vector<Weakness>& weaknesses);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_WEAKNESS_H_
