#include "common/command_table.h"

#include <gtest/gtest.h>

namespace mavoscan {
namespace {

Subcommand Sample() {
  return {"try",
          "DEF MASK...",
          "tries",
          {
              {"--not", OptionKind::kTexts, "MASK", "not these"},
              {"--out", OptionKind::kText, "FILE", "write there"},
              {"--folds", OptionKind::kNumber, "K", "folds", 2, 100},
              {"--seed", OptionKind::kNumber, "N", "seed"},
              {"--strict", OptionKind::kFlag, "", "strict"},
          },
          [](const ParsedCommand& parsed, std::string* err) {
            if (parsed.operands().empty()) {
              *err = "no definition file given";
              return false;
            }
            return true;
          },
          nullptr};
}

// Arguments arrive as the system split them: no quote, space or empty
// argument is taken apart or joined again.
TEST(CommandTable, ParsesArgumentsAsGiven) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string error;  // empty when the parse succeeds
    std::vector<std::string> operands;
    std::vector<std::string> not_masks;
  } rows[] = {
      {"quote inside a name", {"d", "a\" b.mvx"}, "", {"d", "a\" b.mvx"}, {}},
      {"lone quote", {"d", "\"", "x"}, "", {"d", "\"", "x"}, {}},
      {"spaces kept", {"d", " a  b "}, "", {"d", " a  b "}, {}},
      {"empty last argument", {"d", "x", ""}, "an argument is empty", {}, {}},
      {"dash alone is an operand", {"d", "-"}, "", {"d", "-"}, {}},
      {"repeated option keeps all",
       {"d", "--not", "a", "--not=b c"},
       "",
       {"d"},
       {"a", "b c"}},
      {"-- ends the options",
       {"d", "--", "--strict", "-x"},
       "",
       {"d", "--strict", "-x"},
       {}},
      {"option after operands", {"d", "x", "--strict"}, "", {"d", "x"}, {}},
      {"unknown option",
       {"d", "--strong"},
       "--strong is not an option of try",
       {},
       {}},
      {"value of a flag",
       {"d", "--strict=1"},
       "--strict takes no value",
       {},
       {}},
      {"missing value", {"d", "--not"}, "--not needs MASK after it", {}, {}},
      {"empty value", {"d", "--out="}, "--out needs FILE after it", {}, {}},
      {"number below range",
       {"d", "--folds", "1"},
       "--folds takes a number from 2 to 100",
       {},
       {}},
      {"number above range",
       {"d", "--folds=101"},
       "--folds takes a number from 2 to 100",
       {},
       {}},
      {"negative number",
       {"d", "--seed", "-1"},
       "--seed takes a whole number of 0 or more",
       {},
       {}},
      {"number with a sign",
       {"d", "--seed", "+1"},
       "--seed takes a whole number of 0 or more",
       {},
       {}},
      {"number too large",
       {"d", "--seed", "18446744073709551616"},
       "--seed takes a whole number of 0 or more",
       {},
       {}},
      {"check of the subcommand",
       {"--strict"},
       "no definition file given",
       {},
       {}},
      {"common option", {"d", "--json"}, "", {"d"}, {}},
  };
  const Subcommand command = Sample();
  for (const auto& row : rows) {
    ParsedCommand parsed;
    std::string err;
    const bool ok = ParseCommand(command, row.arguments, &parsed, &err);
    EXPECT_EQ(ok, row.error.empty()) << row.name << ": " << err;
    EXPECT_EQ(err, row.error) << row.name;
    if (!ok) continue;
    EXPECT_EQ(parsed.operands(), row.operands) << row.name;
    EXPECT_EQ(parsed.Texts("--not"), row.not_masks) << row.name;
  }

  ParsedCommand parsed;
  std::string err;
  ASSERT_TRUE(ParseCommand(command,
                           {"d", "--out", "a", "--out", "b", "--seed",
                            "18446744073709551615", "--strict"},
                           &parsed, &err));
  EXPECT_EQ(parsed.Text("--out"), "b");
  EXPECT_EQ(parsed.Number("--seed", 1), UINT64_MAX);
  EXPECT_EQ(parsed.Number("--folds", 5), 5u);
  EXPECT_TRUE(parsed.Has("--strict"));
  EXPECT_FALSE(parsed.Has("--json"));
}

// The usage text comes from the same table.
TEST(CommandTable, UsageFromTheTable) {
  EXPECT_EQ(UsageLine("prog", Sample()),
            "prog try DEF MASK... [--not MASK]... [--out FILE] [--folds K] "
            "[--seed N] [--strict] [--json]");
  const std::string lines = OptionLines(Sample().options);
  EXPECT_NE(lines.find("  --not MASK    not these\n"), std::string::npos)
      << lines;
  EXPECT_NE(lines.find("  --strict      strict\n"), std::string::npos) << lines;
}

}  // namespace
}  // namespace mavoscan
