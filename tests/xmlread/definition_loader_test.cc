#include "xmlread/definition_loader.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

constexpr char kName[] = "base.mavo.xml";

// A definition laid out as the writer lays it out: CR LF line ends, tab
// indentation, the ver attribute on the root.
std::string Definition(
    const std::string& general,
    const std::vector<std::pair<std::string, std::string>>& patterns,
    const std::string& strings = "") {
  std::string text =
      "<Mavo ver=\"2.00\">\r\n\t<Info>\r\n\t\t<FileType>Type</FileType>\r\n"
      "\t\t<Ext>BIN</Ext>\r\n\t</Info>\r\n\t<General>\r\n" +
      general + "\t</General>\r\n\t<FrontBlock>\r\n";
  for (const auto& [hex, pos] : patterns) {
    text += "\t\t<Pattern>\r\n";
    if (!hex.empty()) text += "\t\t\t<Bytes>" + hex + "</Bytes>\r\n";
    if (!pos.empty()) text += "\t\t\t<Pos>" + pos + "</Pos>\r\n";
    text += "\t\t</Pattern>\r\n";
  }
  text += "\t</FrontBlock>\r\n" + strings + "</Mavo>\r\n";
  return text;
}

struct Loaded {
  bool ok = false;
  BaseDefinition base;
  bool scan = true;
  bool write = false;
};

Loaded Load(const std::string& text, bool inherit = false) {
  FakePlatform fake;
  fake.AddFile(kName, text);
  Loaded loaded;
  // The run starts with every position admitted.
  loaded.base.position_mask.assign(2048, '\x01');
  loaded.ok = LoadDefinition(fake, kName, inherit, &loaded.base, &loaded.scan,
                             &loaded.write);
  return loaded;
}

TEST(DefinitionLoader, PatternsBecomeMaskAndBaseBlock) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> patterns;
    std::string mask;
    std::string block;
  };
  const std::string kZeros(2048, '0');
  std::string tail_mask = kZeros;
  tail_mask.replace(2046, 2, "11");
  std::string tail_block(2048, ' ');
  tail_block.replace(2046, 2, "AB");
  std::string first_kept_mask = kZeros;
  first_kept_mask[0] = '1';
  std::string first_kept_block(2048, ' ');
  first_kept_block[0] = 'M';
  const Row rows[] = {
      {"4 bytes at 0 and 2 at 10",
       {{"4D5A9000", "0"}, {"4142", "10"}},
       "111100000011",
       std::string("MZ\x90\0", 4) + "      AB"},
      {"out of order: the last one read decides the length",
       {{"4142", "10"}, {"4D5A", "0"}},
       "11",
       "MZ"},
      {"an earlier pattern is cut in part",
       {{"41424344", "0"}, {"5A", "2"}},
       "111",
       "ABZ"},
      {"a pattern past offset 2047 keeps 2048 bytes",
       {{"41424344", "2046"}},
       tail_mask,
       tail_block},
      {"an end beyond 2048 cuts nothing",
       {{"4D", "0"}, {"41", "5000"}},
       first_kept_mask,
       first_kept_block},
      {"two Bytes and one Pos share the offset",
       {{"41", ""}, {"4243", "3"}},
       "00011",
       "   BC"},
      {"lower case, odd length, bad digits",
       {{"aBf", "0"}, {"4G", "1"}, {"G4", "2"}},
       "111",
       std::string("\xAB\x04\x00", 3)},
      {"bytes before offset 0 are dropped", {{"41424344", "-2"}}, "11", "CD"},
      {"a pattern wholly before offset 0 leaves nothing",
       {{"4D", "0"}, {"4142", "-10"}},
       "",
       ""},
      {"a huge offset writes nothing and cuts nothing",
       {{"4142", "99999999999"}},
       kZeros,
       std::string(2048, ' ')},
      {"a huge negative offset leaves nothing",
       {{"4142", "-99999999999"}},
       "",
       ""},
      {"no pattern leaves nothing", {}, "", ""},
  };
  for (const Row& row : rows) {
    Loaded loaded = Load(Definition("", row.patterns));
    ASSERT_TRUE(loaded.ok) << row.name;
    EXPECT_EQ(loaded.base.position_mask, row.mask) << row.name;
    EXPECT_EQ(loaded.base.base_block, row.block) << row.name;
  }
}

TEST(DefinitionLoader, RejectsWhatItCannotUse) {
  const std::string kGood =
      "<Mavo>\n\t<General>\n\t\t<FileNum>3</FileNum>\n"
      "\t</General>\n</Mavo>\n";
  struct Row {
    const char* name;
    std::string text;
    bool ok;
  };
  const Row rows[] = {
      {"Bytes without Pos after it",
       Definition("", {{"4D5A", "0"}, {"41", ""}}), false},
      {"Pos only before the Bytes",
       "<Mavo><FrontBlock><Pattern><Pos>1</Pos><Bytes>41</Bytes></Pattern>"
       "</FrontBlock></Mavo>",
       false},
      {"LF-only file with a declaration", "<?xml version=\"1.0\"?>\n" + kGood,
       false},
      {"byte-order mark", "\xEF\xBB\xBF" + kGood, false},
      {"text before the root", "x" + kGood, false},
      {"root in another case", "<mavo><a>1</a></mavo>", false},
      {"no entry at all", "<Mavo></Mavo>", false},
      {"empty file", "", false},
      {"LF-only file starting with the root", kGood, true},
      {"a root name merely starting with Mavo", "<MavoX><a>1</a></MavoX>",
       true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Load(row.text).ok, row.ok) << row.name;
  }
  EXPECT_EQ(Load(kGood).base.file_num, 3);
}

TEST(DefinitionLoader, NumbersRoundHalfToEvenAndSaturate) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  const std::pair<std::string, int32_t> rows[] = {
      {"12", 12},
      {"12.5", 12},
      {"13.5", 14},
      {"2.50", 2},
      {"2.5001", 3},
      {"0.5", 0},
      {"-1.5", -2},
      {"-2.5", -2},
      {"-0.4", 0},
      {"+7", 7},
      {"007", 7},
      {".6", 1},
      {"1e3", 1000},
      {"15E-1", 2},
      {"1e", 1},
      {"1e+", 1},
      {"2.5e0x", 2},
      {"42abc", 42},
      {"4 2", 4},
      {"\n 5", 5},
      {"1.2.3", 1},
      {"abc", 0},
      {"-", 0},
      {".", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"99999999999", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"1e999999999999", kMax},
      {"1e-999999999999", 0},
      {"0.000000000000000000001", 0},
  };
  for (const auto& [text, expected] : rows) {
    Loaded loaded =
        Load(Definition("\t\t<FileNum>" + text + "</FileNum>\r\n", {}));
    ASSERT_TRUE(loaded.ok) << text;
    EXPECT_EQ(loaded.base.file_num, expected) << text;
  }
  EXPECT_EQ(Load(Definition("", {})).base.file_num, 0);
}

TEST(DefinitionLoader, DescriptiveFieldsFirstOccurrenceWins) {
  Loaded loaded = Load(
      "<Mavo ver=\"2.00\"><Info><FileType>First</FileType>"
      "<FileType>Second</FileType><User>Ann</User><E-Mail>a@b</E-Mail>"
      "<Home>h</Home><ExtraInfo><Rem>r &amp; s</Rem><RefURL>u</RefURL>"
      "</ExtraInfo></Info><General><FileNum>7</FileNum>"
      "<Refine>7 by Ann</Refine></General><Rem>outside</Rem></Mavo>");
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.base.file_type, "First");
  EXPECT_EQ(loaded.base.user, "Ann");
  EXPECT_EQ(loaded.base.email, "a@b");
  EXPECT_EQ(loaded.base.home, "h");
  EXPECT_EQ(loaded.base.rem, "r &amp; s");
  EXPECT_EQ(loaded.base.ref_url, "u");
  EXPECT_EQ(loaded.base.file_num, 7);
  EXPECT_EQ(loaded.base.refine, "7 by Ann");
}

TEST(DefinitionLoader, InheritedStrings) {
  const std::string kStrings =
      "\t<GlobalStrings>\r\n\t\t<String>a'b</String>\r\n"
      "\t\t<String>x\x84y</String>\r\n\t</GlobalStrings>\r\n";
  struct Row {
    const char* name;
    std::string check;  // the CheckStrings element, if any
    bool inherit;
    bool scan;  // expected flags (both start as scan=true, write=false)
    bool write;
    std::vector<std::string> strings;
  };
  const std::vector<std::string> kLoaded = {std::string("A\0B", 3), "X\x8EY"};
  const Row rows[] = {
      {"True", "<CheckStrings>True</CheckStrings>", true, true, true, kLoaded},
      {"letter case differs",
       "<CheckStrings>true</CheckStrings>",
       true,
       false,
       false,
       {}},
      {"missing", "", true, false, false, {}},
      {"not inherited: neither read nor reset",
       "<CheckStrings>True</CheckStrings>",
       false,
       true,
       false,
       {}},
  };
  for (const Row& row : rows) {
    Loaded loaded = Load(Definition(row.check, {}, kStrings), row.inherit);
    ASSERT_TRUE(loaded.ok) << row.name;
    EXPECT_EQ(loaded.scan, row.scan) << row.name;
    EXPECT_EQ(loaded.write, row.write) << row.name;
    EXPECT_EQ(loaded.base.raw_strings, row.strings) << row.name;
  }
  Loaded no_strings =
      Load(Definition("<CheckStrings>True</CheckStrings>", {}), true);
  EXPECT_TRUE(no_strings.scan && no_strings.write);
  EXPECT_TRUE(no_strings.base.raw_strings.empty());
}

TEST(DefinitionLoader, SetUpReportsEachFailure) {
  FakePlatform fake;
  fake.AddFile("defs/good.xml", Definition("", {{"4D5A", "0"}}));
  fake.AddFile("defs/.hidden.xml", Definition("", {{"4D5A", "0"}}));
  fake.AddFile("locked.xml", Definition("", {{"4D5A", "0"}}));
  fake.MakeUnreadable("locked.xml");
  fake.AddFile("bad.xml", "<Other/>");
  struct Row {
    const char* name;
    std::string file;
    std::string err;
    std::string output;
  };
  const Row rows[] = {
      {"missing", "missing.xml",
       "* Error: definition <missing.xml> not found.\r\n", ""},
      {"hidden", "defs/.hidden.xml",
       "* Error: definition <defs/.hidden.xml> not found.\r\n", ""},
      {"unreadable", "locked.xml", "* Error: unable to load definition!\r\n",
       "Refining definition <locked.xml>\r\n"},
      {"not a definition", "bad.xml", "* Error: unable to load definition!\r\n",
       "Refining definition <bad.xml>\r\n"},
      {"good", "defs/good.xml", "", "Refining definition <defs/good.xml>\r\n"},
  };
  for (const Row& row : rows) {
    const size_t before = fake.output().size();
    BaseDefinition base;
    bool scan = true;
    bool write = true;
    std::string err;
    const bool ok =
        SetUpRefinement(fake, row.file, true, &base, &scan, &write, &err);
    EXPECT_EQ(ok, row.err.empty()) << row.name;
    EXPECT_EQ(err, row.err) << row.name;
    EXPECT_EQ(fake.output().substr(before), row.output) << row.name;
    if (ok) {
      EXPECT_EQ(base.position_mask, "11");
    }
  }
}

}  // namespace
}  // namespace mavoscan
