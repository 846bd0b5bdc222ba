#include "driver/refinement.h"

#include <gtest/gtest.h>

#include <limits>

#include "fakes/fake_platform.h"
#include "output/definition_writer.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {
namespace {

std::string Bits(const PositionLimit& positions) {
  std::string bits;
  for (size_t i = 0; i < positions.size(); ++i) {
    bits += positions.Allows(i) ? '1' : '0';
  }
  return bits;
}

TEST(Refinement, CarriesFieldsOverAndChainsCredits) {
  BaseDefinition base;
  base.file_type = "Base type";
  base.user = "Orig";
  base.ref_url = "ref";
  DefinitionInfo first = NewDefinitionInfo("BIN", 19);
  first.user = "Ann";  // from the settings file: named in the credit only
  ApplyRefinement(base, 7, &first);
  EXPECT_EQ(first.refine, "7 by Ann");
  EXPECT_EQ(first.file_type + "|" + first.user + "|" + first.email + "|" +
                first.home + "|" + first.rem + "|" + first.ref_url + "|" +
                first.ext,
            "Base type|Orig||||ref|BIN");
  EXPECT_EQ(first.file_num, 19);

  base.refine = first.refine;
  DefinitionInfo second = NewDefinitionInfo("", 22);
  second.user = "Bob";
  ApplyRefinement(base, 3, &second);
  EXPECT_EQ(second.refine, "7 by Ann - 3 by Bob");
}

TEST(Refinement, AWrittenDefinitionLoadsBackWhole) {
  DefinitionInfo info = NewDefinitionInfo("BIN", 12);
  info.rem = "a & b";
  info.refine = "7 by Ann";
  const PatternList patterns = {
      {std::string("MZ\x90\0", 4), 0}, {"<&>", 9}, {"\xFF", 2047}};
  const std::vector<std::string> strings = {std::string("M\0Z\0", 4), "HI YO"};
  FakePlatform fake;
  fake.AddFile("t.xml", RenderDefinition(info, StringMode::kInherit, patterns,
                                         strings, {}));
  BaseDefinition base;
  ASSERT_TRUE(LoadDefinition(fake, "t.xml", StringMode::kInherit, &base));
  std::string mask(2048, '0');
  std::string block(2048, ' ');
  for (const Pattern& p : patterns) {
    mask.replace(p.pos, p.bytes.size(), std::string(p.bytes.size(), '1'));
    block.replace(p.pos, p.bytes.size(), p.bytes);
  }
  EXPECT_EQ(Bits(base.positions), mask);
  EXPECT_EQ(base.base_block, block);
  EXPECT_EQ(base.raw_strings, strings);
  EXPECT_TRUE(base.check_strings);
  EXPECT_EQ(base.file_num, 12);
  EXPECT_EQ(base.file_type + base.user + base.email + base.home,
            info.file_type + info.user + info.email + info.home);
  EXPECT_EQ(base.rem + "|" + base.refine, "a & b|7 by Ann");
}

TEST(Refinement, LoadingTheBase) {
  const std::string kDefinition =
      "<Mavo><General><CheckStrings>True</CheckStrings></General>"
      "<FrontBlock><Pattern><Bytes>4D5A</Bytes><Pos>1</Pos></Pattern>"
      "</FrontBlock><GlobalStrings><String>AB'C</String></GlobalStrings>"
      "</Mavo>";
  const std::string kLong(300, 'x');
  const struct {
    const char* name;
    std::string file;
    StringMode mode_in, mode_out;
    std::string text;  // the failure's, empty when it loads
    bool blank_line_before;
  } rows[] = {
      {"inherits its strings", "d/base.xml", StringMode::kInherit,
       StringMode::kInherit, "", false},
      {"checks no strings", "d/plain.xml", StringMode::kInherit,
       StringMode::kNone, "", false},
      {"strings cut afresh", "d/plain.xml", StringMode::kRescan,
       StringMode::kRescan, "", false},
      {"missing", "d/none.xml", StringMode::kInherit, StringMode::kInherit,
       "* Error: definition <d/none.xml> not found.", false},
      {"name too long", kLong, StringMode::kInherit, StringMode::kInherit,
       "* Error: file name too long <" + kLong + ">", false},
      {"hidden", "d/.hidden.xml", StringMode::kInherit, StringMode::kInherit,
       "* Error: definition <d/.hidden.xml> not found.", false},
      {"not a definition", "d/other.xml", StringMode::kInherit,
       StringMode::kInherit, "* Error: unable to load definition!", false},
      {"unreadable", "d/locked.xml", StringMode::kInherit, StringMode::kInherit,
       "* Error: unable to load definition!", false},
      {"the backup itself", "newtype.mavo.xml.bak", StringMode::kInherit,
       StringMode::kInherit,
       "* Error: the backup file newtype.mavo.xml.bak cannot be refined in "
       "place!",
       true},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("d/base.xml", kDefinition);
    fake.AddFile("d/plain.xml",
                 "<Mavo><FrontBlock><Pattern><Bytes>41</Bytes>"
                 "<Pos>0</Pos></Pattern></FrontBlock></Mavo>");
    fake.AddFile("d/other.xml", "<Other/>");
    fake.AddFile("d/.hidden.xml", kDefinition);
    fake.AddFile("d/locked.xml", kDefinition);
    fake.MakeUnreadable("d/locked.xml");
    fake.AddFile("newtype.mavo.xml.bak", kDefinition);
    StringMode mode = row.mode_in;
    BaseDefinition base;
    Failure failure;
    EXPECT_EQ(LoadBase(fake, row.file, &mode, &base, &failure),
              row.text.empty())
        << row.name;
    EXPECT_EQ(failure.text, row.text) << row.name;
    if (!row.text.empty()) {
      EXPECT_EQ(failure.blank_line_before, row.blank_line_before) << row.name;
      continue;
    }
    EXPECT_EQ(mode, row.mode_out) << row.name;
    EXPECT_EQ(fake.output(), "Refining definition <" + row.file + ">\r\n")
        << row.name;
  }
}

TEST(Refinement, FileCountsSaturate) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  EXPECT_EQ(RefinedFileCount(12, 5), 17);
  EXPECT_EQ(RefinedFileCount(kMax - 1, 5), kMax);
  EXPECT_EQ(RefinedFileCount(kMin, 1), kMin + 1);
  EXPECT_EQ(RefinedFileCount(-5, 2), -3);
}

}  // namespace
}  // namespace mavoscan
