#include "check/weakness.h"

#include <gtest/gtest.h>

namespace mavoscan {
namespace {

// Patterns as "hex@pos"; the kinds of the warnings joined by spaces.
struct Row {
  const char* name;
  std::vector<std::string> patterns;
  std::vector<std::string> strings;
  bool check_strings;
  size_t informative;
  std::string kinds;
};

DefinitionContent Content(const Row& row) {
  DefinitionContent content;
  content.check_strings = row.check_strings;
  content.strings = row.strings;
  for (const std::string& p : row.patterns) {
    const size_t at = p.find('@');
    std::string bytes;
    for (size_t i = 0; i < at; i += 2) {
      bytes += static_cast<char>(std::stoi(p.substr(i, 2), nullptr, 16));
    }
    content.patterns.push_back({bytes, std::stoll(p.substr(at + 1))});
  }
  return content;
}

TEST(Weakness, WarningsOfDefinitions) {
  const Row rows[] = {
      {"a magic number", {"89504E47@0"}, {}, true, 4, ""},
      {"zero fields beside it, which no file fills",
       {"7F454C46@0", "00@7", "0000@12"},
       {},
       true,
       4,
       ""},
      {"padding",
       {"7F454C46@0", "FFFFFFFF@8", "2020@20"},
       {},
       true,
       5,
       "repeated-byte-patterns"},
      {"zero fields only: the mixed-version set",
       {"00@3", "00@9", "00@11"},
       {},
       true,
       0,
       "few-informative-bytes likely-false-matches"},
      {"one text byte",
       {"3C@0"},
       {},
       true,
       1,
       "few-informative-bytes likely-false-matches"},
      {"FF does not inform, nor weigh much",
       {"FF4D@0", "FF5A@9"},
       {},
       true,
       2,
       "few-informative-bytes likely-false-matches"},
      {"a zero field counts once, not per byte",
       {"4142@0", "0000000000000000@4"},
       {},
       true,
       2,
       "few-informative-bytes likely-false-matches"},
      {"a version and a count weigh less than other bytes",
       {"0102@0", "0304@7"},
       {},
       true,
       4,
       "likely-false-matches"},
      {"a string inside a pattern, case folded",
       {"2150444620312E@0"},
       {"pdf 1", "OTHER"},
       true,
       7,
       "strings-repeat-patterns"},
      {"an apostrophe is NUL",
       {"41004200@0", "43444546@9"},
       {"A'B"},
       true,
       6,
       "strings-repeat-patterns"},
      {"unchecked strings are not weighed",
       {"2150444620312E@0"},
       {"PDF"},
       false,
       7,
       ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const DefinitionContent content = Content(row);
    VerifyReport report{"d.xml", &content, {}, {}};
    const WeaknessReport weakness = AssessWeakness(report);
    EXPECT_EQ(weakness.strength.informative_bytes, row.informative);
    std::string kinds;
    for (const Weakness& w : weakness.warnings) kinds += " " + w.kind;
    EXPECT_EQ(kinds.empty() ? "" : kinds.substr(1), row.kinds);
  }
}

TEST(Weakness, ChanceTextAndMeasuredFalseMatches) {
  EXPECT_EQ(ChanceText(6), "about 1 in 64");
  EXPECT_EQ(ChanceText(12), "about 1 in 4100");
  EXPECT_EQ(ChanceText(40), "about 1 in 10^12");

  const DefinitionContent content = Content({"", {"7F454C46@0"}, {}, 0, 0, ""});
  FileVerdict matching{"other/x", {}, {}, {}, {}};
  FileVerdict failing{"other/y", {{0, "ABCD", false}}, {}, {}, {}};
  VerifyReport report{"d.xml", &content, {}, {matching, failing, failing}};
  const WeaknessReport weakness = AssessWeakness(report);
  ASSERT_EQ(weakness.warnings.size(), 1u);
  EXPECT_EQ(weakness.warnings[0].text,
            "1 of 3 files that must not match do (33.3%)");
}

// Zero fields are named only when files of the type fill them, and --not
// files that all fail give a measured bound beside the estimate.
TEST(Weakness, ZeroFieldsThatFilesFillAndMeasuredBound) {
  const DefinitionContent content =
      Content({"", {"7F454C46@0", "00@7", "0000@12", "0000@20"}, {}, 0, 0, ""});
  FileVerdict filled{
      "a", {{1, "\x01", false}, {2, "\x01\x00", false}}, {}, {}, {}};
  FileVerdict magic_only{"b", {{0, "ABCD", false}}, {}, {}, {}};
  FileVerdict fine{"c", {}, {}, {}, {}};
  FileVerdict rejected{"n", {{0, "ABCD", false}}, {}, {}, {}};
  VerifyReport report{"d.xml",
                      &content,
                      {filled, magic_only, filled, fine},
                      std::vector<FileVerdict>(300, rejected)};
  const WeaknessReport weakness = AssessWeakness(report);
  ASSERT_EQ(weakness.warnings.size(), 1u);
  EXPECT_EQ(weakness.warnings[0].kind, "zero-patterns");
  EXPECT_EQ(weakness.warnings[0].items, (std::vector<size_t>{2, 3}));
  EXPECT_TRUE(weakness.warnings[0].text.starts_with(
      "2 patterns hold only zero bytes (2 at 7, 3 at 12) and 2 files of the "
      "type fill them"))
      << weakness.warnings[0].text;
  EXPECT_NE(WeaknessText(weakness).find(
                "\nMeasured: 0 of 300 files that must not match do, so such "
                "files match at most 1 in 100 (95% bound)\n"),
            std::string::npos)
      << WeaknessText(weakness);
  EXPECT_EQ(NoneMatchedBound(1), 1u);
  EXPECT_EQ(NoneMatchedBound(3000), 1001u);
}

}  // namespace
}  // namespace mavoscan
