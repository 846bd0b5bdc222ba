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

}  // namespace
}  // namespace mavoscan
