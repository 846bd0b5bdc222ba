#include "output/author_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "output/definition_writer.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {
namespace {

constexpr char kUserPlaceholder[] = "Your name for the credits!";
constexpr char kEMailPlaceholder[] = "Your antispam-encoded e-mail!";
constexpr char kHomePlaceholder[] = "Your Home Page";

TEST(AuthorSettings, SettingsFileVariants) {
  struct Row {
    const char* name;
    std::string settings;  // empty: no settings file
    std::string user;
    std::string email;
    std::string home;
  };
  const Row rows[] = {
      {"no settings file", "", kUserPlaceholder, kEMailPlaceholder,
       kHomePlaceholder},
      {"all three, CR LF and a declaration",
       "<?xml version=\"1.0\"?>\r\n<SETTINGS>\r\n\t<USER>Ann</USER>\r\n"
       "\t<E-MAIL>ann at example</E-MAIL>\r\n\t<HOME>ann.example</HOME>\r\n"
       "</SETTINGS>\r\n",
       "Ann", "ann at example", "ann.example"},
      {"lower-case names",
       "<settings><user>Ann</user><Home>h</Home></settings>", "Ann",
       kEMailPlaceholder, "h"},
      {"wrong root", "<CONFIG><USER>Ann</USER></CONFIG>", kUserPlaceholder,
       kEMailPlaceholder, kHomePlaceholder},
      {"USER one level deeper",
       "<SETTINGS><AUTHOR><USER>Ann</USER></AUTHOR></SETTINGS>",
       kUserPlaceholder, kEMailPlaceholder, kHomePlaceholder},
      {"USER twice: the second wins",
       "<SETTINGS><USER>Ann</USER><USER>Bob</USER></SETTINGS>", "Bob",
       kEMailPlaceholder, kHomePlaceholder},
      {"empty USER keeps the placeholder",
       "<SETTINGS><USER></USER><USER> \t </USER></SETTINGS>", kUserPlaceholder,
       kEMailPlaceholder, kHomePlaceholder},
      {"other fields cannot be set",
       "<SETTINGS><FILETYPE>x</FILETYPE><REM>r</REM></SETTINGS>",
       kUserPlaceholder, kEMailPlaceholder, kHomePlaceholder},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    if (!row.settings.empty()) fake.AddFile(kSettingsFile, row.settings);
    DefinitionInfo info = NewDefinitionInfo("BIN", 4);
    ApplyAuthorSettings(fake, &info);
    EXPECT_EQ(info.user, row.user) << row.name;
    EXPECT_EQ(info.email, row.email) << row.name;
    EXPECT_EQ(info.home, row.home) << row.name;
    EXPECT_EQ(info.file_type, "Enter a useful file type description")
        << row.name;
    EXPECT_EQ(info.rem, "") << row.name;
  }

  FakePlatform unreadable;
  unreadable.AddFile(kSettingsFile, "<SETTINGS><USER>Ann</USER></SETTINGS>");
  unreadable.MakeUnreadable(kSettingsFile);
  DefinitionInfo info = NewDefinitionInfo("", 2);
  ApplyAuthorSettings(unreadable, &info);
  EXPECT_EQ(info.user, kUserPlaceholder);
}

TEST(AuthorSettings, RefinementCarriesFieldsOverAndChainsCredits) {
  BaseDefinition base;
  base.file_type = "Base type";
  base.user = "Original";
  base.email = "orig at example";
  base.home = "";
  base.rem = "";
  base.ref_url = "ref";

  DefinitionInfo first = NewDefinitionInfo("BIN", 19);
  first.user = "Ann";  // from the settings file
  ApplyRefinement(base, 7, &first);
  EXPECT_EQ(first.refine, "7 by Ann");
  EXPECT_EQ(first.file_type, "Base type");
  EXPECT_EQ(first.user, "Original");  // the credit names Ann, the field not
  EXPECT_EQ(first.email, "orig at example");
  EXPECT_EQ(first.home, "");  // empty base values replace placeholders too
  EXPECT_EQ(first.rem, "");
  EXPECT_EQ(first.ref_url, "ref");
  EXPECT_EQ(first.ext, "BIN");
  EXPECT_EQ(first.file_num, 19);

  base.refine = first.refine;
  DefinitionInfo second = NewDefinitionInfo("", 22);
  second.user = "Bob";
  ApplyRefinement(base, 3, &second);
  EXPECT_EQ(second.refine, "7 by Ann - 3 by Bob");

  base.refine = "";
  DefinitionInfo anonymous = NewDefinitionInfo("", 5);
  ApplyRefinement(base, 5, &anonymous);
  EXPECT_EQ(anonymous.refine, std::string("5 by ") + kUserPlaceholder);
}

TEST(AuthorSettings, AWrittenDefinitionLoadsBackWhole) {
  DefinitionInfo info = NewDefinitionInfo("BIN", 12);
  info.rem = "a & b";
  info.refine = "7 by Ann";
  const PatternList patterns = {{std::string("MZ\x90\0", 4), 0},
                                {std::string("<&>", 3), 9},
                                {std::string("\xFF", 1), 2047}};
  const std::vector<std::string> strings = {std::string("M\0Z\0", 4),
                                            "HELLO WORLD"};
  FakePlatform fake;
  fake.AddFile("t.mavo.xml", RenderDefinition(info, true, true, patterns,
                                              strings, LocalTime{}));
  BaseDefinition base;
  bool scan = false;
  bool write = false;
  ASSERT_TRUE(LoadDefinition(fake, "t.mavo.xml", true, &base, &scan, &write));
  std::string mask(2048, '0');
  std::string block(2048, ' ');
  for (const Pattern& pattern : patterns) {
    mask.replace(pattern.pos, pattern.bytes.size(),
                 std::string(pattern.bytes.size(), '1'));
    block.replace(pattern.pos, pattern.bytes.size(), pattern.bytes);
  }
  EXPECT_EQ(base.position_mask, mask);
  EXPECT_EQ(base.base_block, block);
  EXPECT_EQ(base.raw_strings, strings);
  EXPECT_TRUE(scan && write);
  EXPECT_EQ(base.file_num, 12);
  EXPECT_EQ(base.file_type, info.file_type);
  EXPECT_EQ(base.user, info.user);
  EXPECT_EQ(base.email, info.email);
  EXPECT_EQ(base.home, info.home);
  EXPECT_EQ(base.rem, "a & b");
  EXPECT_EQ(base.refine, "7 by Ann");
}

}  // namespace
}  // namespace mavoscan
