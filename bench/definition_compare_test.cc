#include "definition_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace mavoscan {
namespace {

constexpr const char* kDefinition =
    "<Mavo ver=\"2.00\">\r\n"
    "\t<General>\r\n"
    "\t\t<Date>\r\n"
    "\t\t\t<Year>2024</Year>\r\n"
    "\t\t\t<Month>05</Month>\r\n"
    "\t\t\t<Day>01</Day>\r\n"
    "\t\t</Date>\r\n"
    "\t\t<Time>\r\n"
    "\t\t\t<Hour>12</Hour>\r\n"
    "\t\t\t<Min>30</Min>\r\n"
    "\t\t\t<Sec>59</Sec>\r\n"
    "\t\t</Time>\r\n"
    "\t</General>\r\n"
    "\t<GlobalStrings>\r\n"
    "\t\t<String>ABC'DEF</String>\r\n"
    "\t</GlobalStrings>\r\n"
    "</Mavo>\r\n";

std::string Replace(std::string text, const std::string& from,
                    const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(SameDefinition, IgnoresOnlyTheTimeOfWriting) {
  struct Row {
    const char* name;
    std::string other;
    bool same;
  };
  const std::string base = kDefinition;
  const Row rows[] = {
      {"identical", base, true},
      {"other date and time",
       Replace(Replace(Replace(base, "2024", "2025"), ">59<", ">00<"),
               "<Min>30", "<Min>31"),
       true},
      {"other string", Replace(base, "ABC'DEF", "ABC'DEG"), false},
      {"string missing", Replace(base, "\t\t<String>ABC'DEF</String>\r\n", ""),
       false},
      {"time line missing", Replace(base, "\t\t\t<Sec>59</Sec>\r\n", ""), true},
      {"other line end", Replace(base, "</Mavo>\r\n", "</Mavo>\n"), false},
      {"trailing line added", base + "\r\n", false},
      {"tag text later in a line", Replace(base, "ABC'DEF", "<Year>ABC'DEF"),
       false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(SameDefinition(base, row.other), row.same) << row.name;
    EXPECT_EQ(SameDefinition(row.other, base), row.same) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
