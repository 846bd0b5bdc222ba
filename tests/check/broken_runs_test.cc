#include "check/broken_runs.h"

#include <gtest/gtest.h>

#include "check/report_text.h"

namespace mavoscan {
namespace {

// Each run as "<offset>:<hex> by <held>, broken by <file>=<found hex>" with
// "!" after a file too short; runs separated by "; ".
std::string Summary(const std::vector<BrokenRun>& runs) {
  std::string text;
  for (const BrokenRun& run : runs) {
    if (!text.empty()) text += "; ";
    text += std::to_string(run.offset) + ":" + Hex(run.bytes) + " by " +
            std::to_string(run.held_by) + ", broken by";
    for (const RunBreaker& breaker : run.breakers) {
      text += " " + std::to_string(breaker.file) + "=" + Hex(breaker.found) +
              (breaker.file_too_short ? "!" : "");
    }
  }
  return text;
}

TEST(BrokenRuns, Runs) {
  using S = std::string;
  const struct {
    const char* name;
    std::vector<std::string> fronts;
    std::string expected;
  } rows[] = {
      {"one file breaks one byte",
       {"ABCD", "ABCD", "ABCD", "ABXD"},
       "2:43 by 3, broken by 3=58"},
      {"the same breakers make one run",
       {"ABC", "ABC", "AXY", "ABC"},
       "1:4243 by 3, broken by 2=5859"},
      {"new breakers split the run",
       {"AB", "AB", "AB", "AB", "AB", "AB", "XY", "AZ"},
       "0:41 by 7, broken by 6=58; 1:42 by 6, broken by 6=59 7=5A"},
      {"a file too short breaks the bytes it lacks",
       {"ABCD", "AB", "ABCD", "ABCD"},
       "2:4344 by 3, broken by 1=!"},
      {"a file that ends inside the run",
       {"ABCD", "ABCD", "ABCD", "ABX"},
       "2:4344 by 3, broken by 3=58!"},
      {"bytes above 0x7F and NUL",
       {S("\0\xFF", 2), S("\0\xFF", 2), S("\0\x7F", 2), S("\0\xFF", 2)},
       "1:FF by 3, broken by 2=7F"},
      {"two of three is not most", {"AB", "AB", "AX"}, ""},
      {"shared by every file is a pattern", {"AB", "AB", "AB", "AB"}, ""},
      {"files too short everywhere past the shortest",
       {"A", "AB", "AB", "AB", "AB"},
       "1:42 by 4, broken by 0=!"},
      {"no files", {}, ""},
      {"one file", {"ABC"}, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Summary(FindBrokenRuns(row.fronts)), row.expected) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
