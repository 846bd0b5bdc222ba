#include "xmlread/definition_loader.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

// Patterns as "hex@pos" ("hex@" has no Pos element) inside a definition.
std::string Definition(const std::string& general,
                       const std::vector<std::string>& patterns = {},
                       const std::string& rest = "") {
  std::string text =
      "<Mavo ver=\"2.00\"><Info><FileType>T</FileType></Info><General>" +
      general + "</General><FrontBlock>";
  for (const std::string& p : patterns) {
    const size_t at = p.find('@');
    text += "<Pattern><Bytes>" + p.substr(0, at) + "</Bytes>";
    if (at + 1 < p.size()) text += "<Pos>" + p.substr(at + 1) + "</Pos>";
    text += "</Pattern>";
  }
  return text + "</FrontBlock>" + rest + "</Mavo>";
}

struct Loaded {
  bool ok;
  BaseDefinition base;
};

Loaded Load(const std::string& text, StringMode mode = StringMode::kRescan) {
  FakePlatform fake;
  fake.AddFile("b.xml", text);
  Loaded l{false, {}};
  l.base.positions = PositionLimit::Everywhere();
  l.ok = LoadDefinition(fake, "b.xml", mode, &l.base);
  return l;
}

std::string Bits(const PositionLimit& positions) {
  std::string bits;
  for (size_t i = 0; i < positions.size(); ++i) {
    bits += positions.Allows(i) ? '1' : '0';
  }
  return bits;
}

TEST(DefinitionLoader, PatternsBecomeMaskAndBaseBlock) {
  const std::string z(2048, '0');
  const std::string s(2048, ' ');
  const struct {
    std::vector<std::string> patterns;
    std::string mask, block;
  } rows[] = {
      {{"4D5A9000@0", "4142@10"},
       "111100000011",
       std::string("MZ\x90\0      AB", 12)},
      {{"4142@10", "4D5A@0"}, "11", "MZ"},  // the last one read cuts
      {{"41424344@0", "5A@2"}, "111", "ABZ"},
      {{"41424344@2046"}, z.substr(0, 2046) + "11", s.substr(0, 2046) + "AB"},
      {{"4D@0", "41@5000"}, "1" + z.substr(1), "M" + s.substr(1)},
      {{"41@", "4243@3"}, "00011", "   BC"},  // two Bytes share one Pos
      {{"aBf@0", "4G@1", "G4@2"}, "111", std::string("\xAB\x04\x00", 3)},
      {{"41424344@-2"}, "11", "CD"},
      {{"4D@0", "4142@-10"}, "", ""},
      {{"4142@99999999999"}, z, s},
      {{"4142@-99999999999"}, "", ""},
      {{}, "", ""},
  };
  for (const auto& row : rows) {
    Loaded l = Load(Definition("", row.patterns));
    ASSERT_TRUE(l.ok) << ::testing::PrintToString(row.patterns);
    EXPECT_EQ(Bits(l.base.positions), row.mask)
        << ::testing::PrintToString(row.patterns);
    EXPECT_EQ(l.base.base_block, row.block)
        << ::testing::PrintToString(row.patterns);
  }
}

TEST(DefinitionLoader, RootCheckAndMissingPos) {
  const std::string lf_only = "<Mavo>\n\t<General>\n\t\t<FileNum>3</FileNum>\n";
  const std::pair<std::string, bool> rows[] = {
      {Definition("", {"4D5A@0", "41@"}), false},
      {"<Mavo><FrontBlock><Pattern><Pos>1</Pos><Bytes>41</Bytes>", false},
      {"<?xml version=\"1.0\"?>\n" + lf_only, false},
      {"\xEF\xBB\xBF" + lf_only, false},
      {"x" + lf_only, false},
      {"<mavo><a>1</a>", false},
      {"<Mavo></Mavo>", false},
      {lf_only, true},
      {"<MavoX><a>1</a>", true},
  };
  for (const auto& [text, ok] : rows) EXPECT_EQ(Load(text).ok, ok) << text;
  EXPECT_EQ(Load(lf_only).base.file_num, 3);
}

TEST(DefinitionLoader, NumbersRoundHalfToEvenAndSaturate) {
  const std::pair<std::string, int32_t> rows[] = {
      {"12.5", 12},
      {"13.5", 14},
      {"2.5001", 3},
      {"-2.5", -2},
      {"-1.5", -2},
      {"+7", 7},
      {".6", 1},
      {"15E-1", 2},
      {"1e3x", 1000},
      {"1e", 1},
      {"4 2", 4},
      {"\n 5", 5},
      {"1.2.3", 1},
      {"abc", 0},
      {"-", 0},
      {"2147483648", INT32_MAX},
      {"-99999999999", INT32_MIN},
      {"1e999999999999", INT32_MAX},
  };
  for (const auto& [text, expected] : rows) {
    EXPECT_EQ(Load(Definition("<FileNum>" + text + "</FileNum>")).base.file_num,
              expected)
        << text;
  }
  EXPECT_EQ(Load(Definition("")).base.file_num, 0);
}

TEST(DefinitionLoader, DescriptiveFieldsFirstOccurrenceWins) {
  Loaded l = Load(
      "<Mavo><Info><FileType>A</FileType><FileType>B</FileType><User>U</User>"
      "<E-Mail>E</E-Mail><Home>H</Home><ExtraInfo><Rem>r &amp;</Rem>"
      "<RefURL>R</RefURL></ExtraInfo></Info><General><Refine>7 by U</Refine>"
      "</General><Rem>outside</Rem></Mavo>");
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.base.file_type + l.base.user + l.base.email + l.base.home + "|" +
                l.base.rem + "|" + l.base.ref_url + "|" + l.base.refine,
            "AUEH|r &amp;|R|7 by U");
}

TEST(DefinitionLoader, InheritedStrings) {
  const std::string strings =
      "<GlobalStrings><String>a'b</String><String>x\x84y</String>"
      "</GlobalStrings>";
  const std::vector<std::string> all = {std::string("A\0B", 3), "X\x8EY"};
  const struct {
    std::string check;
    StringMode mode;
    bool checks;
    std::vector<std::string> strings;
  } rows[] = {
      {"True", StringMode::kInherit, true, all},
      {"true", StringMode::kInherit, false, {}},
      {"", StringMode::kInherit, false, {}},
      {"True", StringMode::kRescan, true, {}},  // not kept
  };
  for (const auto& row : rows) {
    const std::string check =
        row.check.empty() ? ""
                          : "<CheckStrings>" + row.check + "</CheckStrings>";
    Loaded l = Load(Definition(check, {}, strings), row.mode);
    EXPECT_EQ(l.base.check_strings, row.checks) << row.check;
    EXPECT_EQ(l.base.raw_strings, row.strings) << row.check;
  }
}

TEST(DefinitionLoader, ContentKeepsPatternsOneByOne) {
  const struct {
    const char* name;
    std::string text;
    bool ok;
    std::vector<std::pair<std::string, int64_t>> patterns;
  } rows[] = {
      // Adjacent patterns stay two, unlike in the merged front block.
      {"adjacent",
       Definition("", {"4D5A@0", "9000@2"}),
       true,
       {{"MZ", 0}, {std::string("\x90\0", 2), 2}}},
      {"shared Pos",
       Definition("", {"41@", "42@7"}),
       true,
       {{"A", 7}, {"B", 7}}},
      // Not clipped to the front block either way.
      {"outside the block",
       Definition("", {"41@-3", "42@5000"}),
       true,
       {{"A", -3}, {"B", 5000}}},
      {"odd hex digit dropped", Definition("", {"414@1"}), true, {{"A", 1}}},
      {"no Pos", Definition("", {"41@1", "42@"}), false, {}},
      {"no root", "<x><FrontBlock>1</FrontBlock></x>", false, {}},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("d.xml", row.text);
    DefinitionContent content;
    std::string err;
    ASSERT_EQ(ReadDefinitionContent(fake, "d.xml", &content, &err), row.ok)
        << row.name;
    EXPECT_EQ(err.empty(), row.ok) << row.name;
    std::vector<std::pair<std::string, int64_t>> patterns;
    for (const DefinitionPattern& p : content.patterns) {
      patterns.emplace_back(p.bytes, p.pos);
    }
    if (row.ok) {
      EXPECT_EQ(patterns, row.patterns) << row.name;
    }
  }
  FakePlatform fake;
  DefinitionContent content;
  std::string err;
  EXPECT_FALSE(ReadDefinitionContent(fake, "gone.xml", &content, &err));
  EXPECT_NE(err.find("gone.xml"), std::string::npos) << err;
}

}  // namespace
}  // namespace mavoscan
