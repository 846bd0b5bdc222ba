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
            RenderDefinition(NewDefinitionInfo("BIN", 2), StringMode::kNone,
                             patterns, {}, fake.Now()));
}

TEST(RunTool, EndsWithExitCodeOne) {
  const std::string kLong(300, 'x');
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
      {"mask too long", "s/" + kLong + "*.bin",
       kChecking + "\r\n* Error: file name too long <s/" + kLong +
           "*.bin>\r\n"},
      {"base definition too long", "s/*.bin " + kLong,
       kParsed + "* Error: file name too long <" + kLong + ">\r\n"},
      {"absolute base definition too long", "s/*.bin /" + kLong,
       kBanner + "\r\n* Error: file name too long </" + kLong + ">\r\n" +
           kUsage},
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

// A run in a directory that holds a previous definition, an older backup
// and a base definition, with the settings file and samples that the
// string passes read.
void SetUpFlow(FakePlatform& fake, const std::string& command_line,
               const std::string& base) {
  AddSamples(fake);
  fake.AddFile("newtype.mavo.xml", "previous");
  fake.AddFile("newtype.mavo.xml.bak", "old");
  fake.AddFile("defs/base.xml", base);
  fake.AddFile("mavoscan.cfg.xml", "<SETTINGS><USER>Ann</USER></SETTINGS>");
  fake.SetCommandLine(command_line);
}

// Each platform call of both flows fails in turn. Whatever the run makes of
// it, it reports failure as failure, and the definitions survive: complete
// files under both names, the previous one untouched or, after a success,
// the backup; no temporary file left.
TEST(RunTool, EveryFailingCallKeepsTheDefinitions) {
  FakePlatform first;
  SetUpFlow(first, "s/*.bin", "");
  ASSERT_EQ(RunTool(first), 0);
  const std::string base = first.FileData("newtype.mavo.xml");
  const FakeCall kCalls[] = {
      FakeCall::kOpen,   FakeCall::kSize,   FakeCall::kRead,
      FakeCall::kCreate, FakeCall::kAppend, FakeCall::kClose,
      FakeCall::kDelete, FakeCall::kMove,   FakeCall::kLink,
      FakeCall::kRename, FakeCall::kFind,   FakeCall::kShortRead,
  };
  int runs = 0;
  for (const auto& [command_line, output] :
       {std::pair<std::string, std::string>{"s/*.bin", "newtype.mavo.xml"},
        {"s/*.bin defs/base.xml", "defs/base.xml"}}) {
    const std::string previous =
        output == "newtype.mavo.xml" ? "previous" : base;
    FakePlatform clean;
    SetUpFlow(clean, command_line, base);
    ASSERT_EQ(RunTool(clean), 0) << command_line;
    for (FakeCall call : kCalls) {
      for (int occurrence = 1; occurrence <= clean.call_count(call);
           ++occurrence) {
        const std::string row = command_line + ", call " +
                                std::to_string(static_cast<int>(call)) + " #" +
                                std::to_string(occurrence);
        FakePlatform fake;
        SetUpFlow(fake, command_line, base);
        fake.FailCall(call, occurrence);
        const int exit_code = RunTool(fake);
        ++runs;
        const std::string& out = fake.output();
        std::string last = out.substr(out.rfind('\n', out.size() - 3) + 1);
        if (exit_code == 0) {
          EXPECT_EQ(last, "Finished!\r\n") << row;
          EXPECT_TRUE(fake.FileData(output).starts_with("<Mavo ver=\"2.00\">"))
              << row;
          EXPECT_TRUE(fake.FileData(output).ends_with("</Mavo>\r\n")) << row;
          EXPECT_EQ(fake.FileData("newtype.mavo.xml.bak"), previous) << row;
        } else {
          EXPECT_EQ(exit_code, 1) << row;
          EXPECT_TRUE(last.starts_with("* Error: ") ||
                      last == "Pattern(s) found: 0\r\n")
              << row << ": " << last;
          EXPECT_EQ(fake.FileData(output), previous) << row;
          // The backup is the old one, or already the previous definition.
          const std::string backup = fake.FileData("newtype.mavo.xml.bak");
          EXPECT_TRUE(backup == "old" || backup == previous) << row;
        }
        for (const std::string& path : fake.AllFiles()) {
          EXPECT_EQ(path.find(kTemporaryPrefix), std::string::npos)
              << row << ": " << path;
        }
      }
    }
  }
  EXPECT_GT(runs, 40);
}

}  // namespace
}  // namespace mavoscan
