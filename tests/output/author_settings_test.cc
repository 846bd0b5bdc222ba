#include "output/author_settings.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "output/definition_writer.h"

namespace mavoscan {
namespace {

TEST(AuthorSettings, SettingsFileVariants) {
  const std::string kPlaceholders =
      "Your name for the credits!|"
      "Your antispam-encoded e-mail!|Your Home Page";
  const struct {
    std::string settings;  // empty: no settings file
    std::string fields;    // user|email|home
  } rows[] = {
      {"", kPlaceholders},
      {"<?xml v?>\r\n<SETTINGS>\r\n\t<USER>Ann</USER>\r\n\t<E-MAIL>a@x</E-MAIL>"
       "\r\n\t<HOME>h</HOME>\r\n</SETTINGS>\r\n",
       "Ann|a@x|h"},
      {"<settings><user>Ann</user><Home>h</Home></settings>",
       "Ann|Your antispam-encoded e-mail!|h"},
      {"<CONFIG><USER>Ann</USER></CONFIG>", kPlaceholders},
      {"<SETTINGS><AUTHOR><USER>Ann</USER></AUTHOR><REM>r</REM></SETTINGS>",
       kPlaceholders},
      {"<SETTINGS><USER>Ann</USER><USER>Bob</USER></SETTINGS>",
       "Bob|Your antispam-encoded e-mail!|Your Home Page"},
      {"<SETTINGS><USER></USER><USER> \t </USER></SETTINGS>", kPlaceholders},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    if (!row.settings.empty()) fake.AddFile(kSettingsFile, row.settings);
    DefinitionInfo info = NewDefinitionInfo("BIN", 4);
    ApplyAuthorSettings(fake, &info);
    EXPECT_EQ(info.user + "|" + info.email + "|" + info.home, row.fields)
        << row.settings;
    EXPECT_EQ(info.rem, "");
  }
}

TEST(AuthorSettings, RefinementCarriesFieldsOverAndChainsCredits) {
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

TEST(AuthorSettings, AWrittenDefinitionLoadsBackWhole) {
  DefinitionInfo info = NewDefinitionInfo("BIN", 12);
  info.rem = "a & b";
  info.refine = "7 by Ann";
  const PatternList patterns = {
      {std::string("MZ\x90\0", 4), 0}, {"<&>", 9}, {"\xFF", 2047}};
  const std::vector<std::string> strings = {std::string("M\0Z\0", 4), "HI YO"};
  FakePlatform fake;
  fake.AddFile("t.xml",
               RenderDefinition(info, true, true, patterns, strings, {}));
  BaseDefinition base;
  bool scan = false;
  bool write = false;
  ASSERT_TRUE(LoadDefinition(fake, "t.xml", true, &base, &scan, &write));
  std::string mask(2048, '0');
  std::string block(2048, ' ');
  for (const Pattern& p : patterns) {
    mask.replace(p.pos, p.bytes.size(), std::string(p.bytes.size(), '1'));
    block.replace(p.pos, p.bytes.size(), p.bytes);
  }
  EXPECT_EQ(base.position_mask, mask);
  EXPECT_EQ(base.base_block, block);
  EXPECT_EQ(base.raw_strings, strings);
  EXPECT_TRUE(scan && write);
  EXPECT_EQ(base.file_num, 12);
  EXPECT_EQ(base.file_type + base.user + base.email + base.home,
            info.file_type + info.user + info.email + info.home);
  EXPECT_EQ(base.rem + "|" + base.refine, "a & b|7 by Ann");
}

}  // namespace
}  // namespace mavoscan
