#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "e2e/transcripts.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

constexpr char kOutput[] = "newtype.mavo.xml";
constexpr char kBackup[] = "newtype.mavo.xml.bak";

// The definition `name` in `dir`, its date and time checked against the run
// and replaced by placeholders.
std::string Definition(const TempDir& dir, const RunResult& run,
                       const std::string& name = kOutput) {
  std::string text = dir.Read(name);
  std::string why;
  EXPECT_TRUE(NormalizeDateTime(&text, run.started, run.ended, &why)) << why;
  return text;
}

// The GlobalStrings section of a definition, or "" without one.
std::string GlobalStrings(const std::string& definition) {
  size_t begin = definition.find("\t<GlobalStrings>\r\n");
  size_t end = definition.find("\t</GlobalStrings>\r\n");
  if (begin == std::string::npos || end == std::string::npos) return "";
  return definition.substr(begin, end + 19 - begin);
}

void WriteThreeSamples(const TempDir& dir) {
  dir.Write("a.bin", FamilySample(0));
  dir.Write("b.bin", FamilySample(1));
  dir.Write("c.bin", FamilySample(2));
}

TEST(NewDefinitionRun, PatternsAndStrings) {
  TempDir dir;
  WriteThreeSamples(dir);
  RunResult run = dir.Run({"*.bin"});
  EXPECT_EQ(
      run.out,
      Lines({"",
             "MavoScan32 v1.56 - file type definition builder, (c) 2026 "
             "the MavoScan developers",
             "", "Checking files...", "Found 3 matching files",
             "Header Block Size: 23", "Scanning for patterns...",
             "Pattern(s) found: 3", "Last Pattern end at offset: 22",
             "Scanning for raw strings...", "Raw string(s) found: 4",
             "Pre-filtering strings...", "Phase 1... 100%", "Phase 2... 100%",
             "Erasing substrings... 100%", "String(s) found: 2",
             "Writing XML file <newtype.mavo.xml>...", "Finished!"}));
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(
      Definition(dir, run),
      Join({Lines({"<Mavo ver=\"2.00\">", "\t<Info>",
                   "\t\t<FileType>Enter a useful file type description"
                   "</FileType>",
                   "\t\t<Ext>BIN</Ext>", "\t\t<ExtraInfo>", "\t\t\t<Rem></Rem>",
                   "\t\t\t<RefURL></RefURL>", "\t\t</ExtraInfo>",
                   "\t\t<User>Your name for the credits!</User>",
                   "\t\t<E-Mail>Your antispam-encoded e-mail!</E-Mail>",
                   "\t\t<Home>Your Home Page</Home>", "\t</Info>",
                   "\t<General>", "\t\t<FileNum>3</FileNum>",
                   "\t\t<CheckStrings>True</CheckStrings>"}),
            DateLines(),
            Lines({"\t</General>",
                   "\t<FrontBlock>",
                   "\t\t<Pattern>",
                   "\t\t\t<Bytes>4D565831</Bytes>",
                   "\t\t\t<ASCII> M V X 1</ASCII>",
                   "\t\t\t<Pos>0</Pos>",
                   "\t\t</Pattern>",
                   "\t\t<Pattern>",
                   "\t\t\t<Bytes>5348415245442054455854FF</Bytes>",
                   "\t\t\t<ASCII> S H A R E D   T E X T</ASCII>",
                   "\t\t\t<Pos>5</Pos>",
                   "\t\t</Pattern>",
                   "\t\t<Pattern>",
                   "\t\t\t<Bytes>FF</Bytes>",
                   "\t\t\t<Pos>22</Pos>",
                   "\t\t</Pattern>",
                   "\t</FrontBlock>",
                   "\t<GlobalStrings>",
                   "\t\t<String>SHARED TEXT</String>",
                   "\t\t<String>MVX1</String>",
                   "\t</GlobalStrings>",
                   "</Mavo>"})}));
  EXPECT_EQ(dir.List(),
            (std::vector<std::string>{"a.bin", "b.bin", "c.bin", kOutput}));
}

TEST(NewDefinitionRun, NoStrings) {
  TempDir dir;
  WriteThreeSamples(dir);
  RunResult run = dir.Run({"*.bin", "/ns"});
  EXPECT_EQ(
      run.out,
      Join({Banner(),
            Lines({"", "Checking files...", "Found 3 matching files",
                   "Header Block Size: 23", "Scanning for patterns...",
                   "Pattern(s) found: 3", "Last Pattern end at offset: 22",
                   "Writing XML file <newtype.mavo.xml>...", "Finished!"})}));
  EXPECT_EQ(run.exit_code, 0);
  std::string definition = Definition(dir, run);
  EXPECT_NE(definition.find(Lines({"\t\t<FileNum>3</FileNum>", "\t\t<Date>"})),
            std::string::npos);
  EXPECT_EQ(definition.find("CheckStrings"), std::string::npos);
  EXPECT_EQ(definition.find("GlobalStrings"), std::string::npos);
  EXPECT_TRUE(
      definition.ends_with(Lines({"\t\t\t<Pos>22</Pos>", "\t\t</Pattern>",
                                  "\t</FrontBlock>", "</Mavo>"})));
}

// "/FS" without a base definition changes nothing: strings are scanned
// anyway. "/NS /FS" ends with "/FS" in force.
TEST(NewDefinitionRun, ForceStringsSwitch) {
  TempDir dir;
  WriteThreeSamples(dir);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"*.bin", "/FS"},
        std::vector<std::string>{"*.bin", "/NS", "/fs"}}) {
    RunResult run = dir.Run(args);
    EXPECT_EQ(run.exit_code, 0) << args.back();
    EXPECT_NE(run.out.find(StringPasses(true, 4, 2)), std::string::npos)
        << args.back();
  }
}

// Letter case, NUL bytes inside strings, single-byte patterns and patterns
// that have nothing readable.
TEST(NewDefinitionRun, StringsIgnoreCaseAndKeepNulBytes) {
  TempDir dir;
  dir.Write("x.dat",
            std::string("MVX1\x01Tag line\x01N\0a\0m\0e\0\x01QQQQ\x01", 28));
  dir.Write("y.DAT",
            std::string("MVX1\x02TAG LINE\x02n\0A\0M\0E\0\x02ZZZZ\x02", 28));
  RunResult run = dir.Run({"*.dat"});
  EXPECT_EQ(
      run.out,
      Join({Banner(),
            Lines({"", "Checking files...", "Found 2 matching files",
                   "Header Block Size: 28", "Scanning for patterns...",
                   "Pattern(s) found: 7", "Last Pattern end at offset: 21"}),
            StringPasses(true, 5, 3),
            Lines({"Writing XML file <newtype.mavo.xml>...", "Finished!"})}));
  ASSERT_EQ(run.exit_code, 0);
  std::string definition = Definition(dir, run);
  EXPECT_NE(definition.find("\t\t<Ext>DAT</Ext>\r\n"), std::string::npos);
  EXPECT_NE(
      definition.find(Join({Lines(
          {"\t<FrontBlock>", "\t\t<Pattern>", "\t\t\t<Bytes>4D565831</Bytes>",
           "\t\t\t<ASCII> M V X 1</ASCII>", "\t\t\t<Pos>0</Pos>",
           "\t\t</Pattern>", "\t\t<Pattern>", "\t\t\t<Bytes>54</Bytes>",
           "\t\t\t<ASCII> T</ASCII>", "\t\t\t<Pos>5</Pos>", "\t\t</Pattern>",
           "\t\t<Pattern>", "\t\t\t<Bytes>20</Bytes>", "\t\t\t<Pos>8</Pos>",
           "\t\t</Pattern>", "\t\t<Pattern>", "\t\t\t<Bytes>00</Bytes>",
           "\t\t\t<Pos>15</Pos>", "\t\t</Pattern>"})})),
      std::string::npos);
  EXPECT_TRUE(definition.ends_with(
      Lines({"\t\t\t<Bytes>00</Bytes>", "\t\t\t<Pos>21</Pos>", "\t\t</Pattern>",
             "\t</FrontBlock>", "\t<GlobalStrings>",
             "\t\t<String>TAG LINE</String>", "\t\t<String>N'A'M'E</String>",
             "\t\t<String>MVX1</String>", "\t</GlobalStrings>", "</Mavo>"})));
}

// Samples above 10 MiB are read as their first and last 5 MiB joined by a
// delimiter; the byte between the halves is not looked at. A sample of
// exactly 10 MiB is read whole.
TEST(NewDefinitionRun, LargeSamplesAreReadAsHeadAndTail) {
  constexpr int64_t kHalf = 5242880;
  struct Row {
    const char* name;
    int64_t size;
    int raw;
    std::vector<std::string> strings;
  };
  const Row rows[] = {
      {"10 MiB + 1",
       2 * kHalf + 1,
       7,
       {"HEADWORD", "TAILWORD", "ABCD", "EFGH"}},
      {"10 MiB", 2 * kHalf, 6, {"ABCDXEFGH", "HEADWORD", "TAILWORD"}},
  };
  for (const Row& row : rows) {
    TempDir dir;
    const std::vector<std::pair<int64_t, std::string>> pieces = {
        {0, "\xffHEADWORD\xff"},
        {kHalf - 5,
         "\xff"
         "ABCDXEFGH\xff"},
        {row.size - 9, "\xffTAILWORD"},
    };
    dir.WriteSparse("one.big", row.size, pieces);
    dir.WriteSparse("two.big", row.size, pieces);
    RunResult run = dir.Run({"*.big"});
    EXPECT_EQ(
        run.out,
        Join(
            {Banner(),
             Lines({"", "Checking files...", "Found 2 matching files",
                    "Header Block Size: 2048", "Scanning for patterns...",
                    "Pattern(s) found: 1", "Last Pattern end at offset: 2047"}),
             StringPasses(true, row.raw, static_cast<int>(row.strings.size())),
             Lines({"Writing XML file <newtype.mavo.xml>...", "Finished!"})}))
        << row.name;
    ASSERT_EQ(run.exit_code, 0) << row.name;
    std::vector<std::string> lines = {"\t<GlobalStrings>"};
    for (const std::string& s : row.strings) {
      lines.push_back("\t\t<String>" + s + "</String>");
    }
    lines.push_back("\t</GlobalStrings>");
    std::string definition = Definition(dir, run);
    EXPECT_EQ(GlobalStrings(definition), Lines(lines)) << row.name;
    std::string hex =
        "FF"
        "48454144574F5244"
        "FF" +
        std::string(2 * 2038, '0');
    EXPECT_NE(definition.find(Lines({"\t\t\t<Bytes>" + hex + "</Bytes>",
                                     "\t\t\t<ASCII> . H E A D W O R D</ASCII>",
                                     "\t\t\t<Pos>0</Pos>"})),
              std::string::npos)
        << row.name;
  }
}

// Each new definition keeps the one it replaces as the single backup; a run
// that replaces nothing leaves the backup alone.
TEST(NewDefinitionRun, BackupRotation) {
  TempDir dir;
  dir.Write("a.bin", FamilySample(0));
  dir.Write("b.bin", FamilySample(1));
  RunResult first = dir.Run({"*.bin", "/NS"});
  ASSERT_EQ(first.exit_code, 0);
  EXPECT_FALSE(dir.Exists(kBackup));
  std::string first_file = dir.Read(kOutput);
  EXPECT_NE(first_file.find("<FileNum>2</FileNum>"), std::string::npos);

  dir.Write("c.bin", FamilySample(2));
  RunResult second = dir.Run({"*.bin", "/NS"});
  ASSERT_EQ(second.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), first_file);
  std::string second_file = dir.Read(kOutput);
  EXPECT_NE(second_file.find("<FileNum>3</FileNum>"), std::string::npos);

  dir.Write("d.bin", FamilySample(3));
  RunResult third = dir.Run({"*.bin", "/NS"});
  ASSERT_EQ(third.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), second_file);
  std::string third_file = dir.Read(kOutput);
  EXPECT_NE(third_file.find("<FileNum>4</FileNum>"), std::string::npos);

  dir.Remove(kOutput);
  RunResult fourth = dir.Run({"*.bin", "/NS"});
  ASSERT_EQ(fourth.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), second_file);
  EXPECT_TRUE(dir.Exists(kOutput));
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.bin", "b.bin", "c.bin",
                                                  "d.bin", kOutput, kBackup}));
}

// A directory named like the output counts as no file: nothing is rotated,
// the write fails, and the directory and the old backup are left alone.
TEST(NewDefinitionRun, OutputNameIsADirectory) {
  TempDir dir;
  WriteThreeSamples(dir);
  dir.Write("newtype.mavo.xml/keep.txt", "keep");
  dir.Write(kBackup, "old backup");
  RunResult run = dir.Run({"*.bin", "/NS"});
  EXPECT_EQ(
      run.out,
      Join({Banner(),
            Lines({"", "Checking files...", "Found 3 matching files",
                   "Header Block Size: 23", "Scanning for patterns...",
                   "Pattern(s) found: 3", "Last Pattern end at offset: 22",
                   "Writing XML file <newtype.mavo.xml>...", "",
                   "* Error: unable to write file newtype.mavo.xml!",
                   Reason("Is a directory", "Access denied")})}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(dir.IsDirectory(kOutput));
  EXPECT_EQ(dir.List(kOutput), (std::vector<std::string>{"keep.txt"}));
  EXPECT_EQ(dir.Read("newtype.mavo.xml/keep.txt"), "keep");
  EXPECT_EQ(dir.Read(kBackup), "old backup");
}

// A directory the tool may not write to (it runs as nobody when the test
// runs as root).
TEST(NewDefinitionRun, OutputDirectoryNotWritable) {
  TempDir dir;
  WriteThreeSamples(dir);
  dir.Chmod(".", 0555);
  RunResult run = dir.Run({"*.bin", "/NS"}, {.drop_root = true});
  dir.Chmod(".", 0700);
  if (run.exit_code == 125) GTEST_SKIP() << run.err;
  EXPECT_TRUE(run.out.ends_with(
      Lines({"Writing XML file <newtype.mavo.xml>...", "",
             "* Error: unable to write file newtype.mavo.xml!",
             "         (Permission denied)"})))
      << run.out;
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

}  // namespace
}  // namespace mavoscan::e2e
