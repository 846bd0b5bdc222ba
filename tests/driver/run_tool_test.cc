#include "driver/run_tool.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "output/definition_writer.h"

namespace mavoscan {
namespace {

const std::string kBanner =
    "\r\nMavoScan32 v1.56 - file type definition builder, (c) 2026 the "
    "MavoScan developers\r\n";

const std::string kUsage =
    "\r\n"
    "Usage: MavoScan [path]<files mask> [[path]<def_file>] [</FS>|</NS>]\r\n"
    "\r\n"
    "Where: <files mask> Files to scan for patterns\r\n"
    "       <def_file>   Specify a base definition to refine\r\n"
    "       /FS          Force strings (re)scanning (when refining)\r\n"
    "       /NS          Don't scan for strings (remove them when "
    "refining)\r\n"
    "       /?           This help!\r\n";

// Two samples that share "MZ\x90\0" at offset 0 and "PK" at offset 7.
void AddSamples(FakePlatform& fake) {
  fake.AddFile("s/a.bin", std::string("MZ\x90\0xyzPK", 9));
  fake.AddFile("s/b.BIN", std::string("MZ\x90\0abcPK and more", 18));
}

TEST(RunTool, NormalRunWithoutStrings) {
  FakePlatform fake;
  AddSamples(fake);
  fake.SetCommandLine("s/*.bin /NS");
  ASSERT_EQ(RunTool(fake), 0);
  EXPECT_EQ(fake.output(), kBanner +
                               "\r\n"
                               "Checking files...\r\n"
                               "Found 2 matching files\r\n"
                               "Header Block Size: 9\r\n"
                               "Scanning for patterns...\r\n"
                               "Pattern(s) found: 2\r\n"
                               "Last Pattern end at offset: 8\r\n"
                               "Writing XML file <newtype.mavo.xml>...\r\n"
                               "Finished!\r\n");
  // The writer's own tests check the format byte for byte; here the run must
  // hand it the right values: extension, count, no strings, both patterns.
  PatternList patterns = {{std::string("MZ\x90\0", 4), 0}, {"PK", 7}};
  EXPECT_EQ(fake.FileData("newtype.mavo.xml"),
            RenderDefinition(NewDefinitionInfo("BIN", 2), false, false,
                             patterns, {}, fake.Now()));
}

TEST(RunTool, EndsWithExitCodeOne) {
  const std::string kParsed = kBanner + "\r\n";
  const std::string kChecking = kParsed + "Checking files...\r\n";
  const std::string kScanned = kChecking +
                               "Found 2 matching files\r\n"
                               "Header Block Size: 9\r\n"
                               "Scanning for patterns...\r\n"
                               "Pattern(s) found: 2\r\n"
                               "Last Pattern end at offset: 8\r\n"
                               "Writing XML file <newtype.mavo.xml>...\r\n";
  struct Row {
    const char* name;
    std::string command_line;
    std::string output;
  };
  const Row rows[] = {
      {"no arguments", "",
       kBanner + "\r\n* Error: file mask needed (es: *.exe)\r\n" + kUsage},
      {"help", "/?", kBanner + kUsage},
      {"help in lower case", "-help", kBanner + kUsage},
      {"double dash help", "--HELP", kBanner + kUsage},
      {"three quotes before help", "/? \"a\"b\"",
       kBanner + "\r\n* Error: double quotes doesn't match!\r\n" + kUsage},
      {"unknown switch", "s/*.bin /xs",
       kBanner + "\r\n* Error: Illegal parameter '/xs'\r\n" + kUsage},
      {"help after the mask", "s/*.bin /?",
       kBanner + "\r\n* Error: Illegal parameter '/?'\r\n" + kUsage},
      {"file name after a switch", "s/*.bin /NS def.xml",
       kBanner + "\r\n* Error: Illegal parameter 'def.xml'\r\n" + kUsage},
      {"no matching files", "s/*.zip /NS",
       kChecking + "\r\n* Error: no matching files!\r\n"},
      {"single sample", "s/a.* /NS",
       kChecking +
           "\r\n* Error: You need to scan at least 2 files (the more, the "
           "better!),\r\n         or refine an existing def\r\n"},
      {"unopenable sample", "u/*.bin /NS",
       kChecking + "\r\n* Error: Unable to open file <u/b.bin>\r\n"},
      {"no pattern", "d/*.bin /NS",
       kChecking + "Found 2 matching files\r\n"
                   "Header Block Size: 2\r\n"
                   "Scanning for patterns...\r\n"
                   "Pattern(s) found: 0\r\n"},
      {"empty sample", "e/*.bin /NS",
       kChecking + "Found 2 matching files\r\n"
                   "Header Block Size: 0\r\n"
                   "Scanning for patterns...\r\n"
                   "Pattern(s) found: 0\r\n"},
      {"output name taken by a directory", "s/*.bin /NS",
       kScanned + "\r\n* Error: unable to write file newtype.mavo.xml!\r\n"},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    AddSamples(fake);
    fake.AddFile("u/a.bin", "data");
    fake.AddFile("u/b.bin", "data");
    fake.MakeUnreadable("u/b.bin");
    fake.AddFile("d/a.bin", "ab");
    fake.AddFile("d/b.bin", "cd");
    fake.AddFile("e/a.bin", "ab");
    fake.AddFile("e/b.bin", "");
    fake.AddDirectory("newtype.mavo.xml");
    fake.SetCommandLine(row.command_line);
    EXPECT_EQ(RunTool(fake), 1) << row.name;
    EXPECT_EQ(fake.output(), row.output) << row.name;
    EXPECT_FALSE(fake.HasFile("newtype.mavo.xml")) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
