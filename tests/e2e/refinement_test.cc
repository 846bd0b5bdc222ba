#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "e2e/transcripts.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

constexpr char kOutput[] = "newtype.mavo.xml";
constexpr char kBackup[] = "newtype.mavo.xml.bak";

std::string Normalized(const TempDir& dir, const RunResult& run,
                       const std::string& name) {
  std::string text = dir.Read(name);
  std::string why;
  EXPECT_TRUE(NormalizeDateTime(&text, run.started, run.ended, &why)) << why;
  return text;
}

// The part of `text` from the line that holds `first` to the end of the
// line that holds `last`; "" when either is missing.
std::string Section(const std::string& text, const std::string& first,
                    const std::string& last) {
  size_t begin = text.find(first);
  if (begin == std::string::npos) return "";
  begin = text.rfind('\n', begin) + 1;
  size_t end = text.find(last, begin);
  if (end == std::string::npos) return "";
  return text.substr(begin, text.find('\n', end) + 1 - begin);
}

// A definition as someone may have edited it by hand: the patterns of the
// FamilySample set and three global strings, one with an apostrophe, lower
// case and a code page 437 letter.
std::string HandWrittenBase(std::string_view check_strings = "True") {
  std::string general =
      check_strings.empty()
          ? Lines({"\t\t<FileNum>5</FileNum>"})
          : Lines({"\t\t<FileNum>5</FileNum>", "\t\t<CheckStrings>" +
                                                   std::string(check_strings) +
                                                   "</CheckStrings>"});
  return Join(
      {Lines({"<Mavo ver=\"2.00\">", "\t<Info>",
              "\t\t<FileType>Mavo test file</FileType>", "\t\t<Ext>MVX</Ext>",
              "\t\t<ExtraInfo>", "\t\t\t<Rem>Made by hand</Rem>",
              "\t\t\t<RefURL>http://example.invalid/mvx</RefURL>",
              "\t\t</ExtraInfo>", "\t\t<User>Zed</User>",
              "\t\t<E-Mail>zed at example dot invalid</E-Mail>",
              "\t\t<Home>http://example.invalid/~zed</Home>", "\t</Info>",
              "\t<General>"}),
       general,
       Lines({"\t\t<Date>",
              "\t\t\t<Year>2025</Year>",
              "\t\t\t<Month>01</Month>",
              "\t\t\t<Day>02</Day>",
              "\t\t</Date>",
              "\t\t<Time>",
              "\t\t\t<Hour>03</Hour>",
              "\t\t\t<Min>04</Min>",
              "\t\t\t<Sec>05</Sec>",
              "\t\t</Time>",
              "\t\t<Creator>MavoScan32 v1.56</Creator>",
              "\t</General>",
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
              "\t\t<String>a'bc\x84x</String>",
              "\t</GlobalStrings>",
              "</Mavo>"})});
}

// Two identical new samples: on their own they would make one pattern of
// all their bytes; against the base only the base's positions count, and
// offset 15 ("Z" against the base's "T") splits its second pattern.
void WriteNewSamples(const TempDir& dir, const std::string& folder = "new") {
  std::string sample(
      "MVX1\x90SHARED TEXZ\xffWORDS\xff"
      "a\0bc\x84x",
      29);
  dir.Write(folder + "/one.bin", sample);
  dir.Write(folder + "/two.bin", sample);
}

std::string RefinedInfo(std::string_view refine,
                        std::string_view check_strings_line) {
  return Lines({"<Mavo ver=\"2.00\">", "\t<Info>",
                "\t\t<FileType>Mavo test file</FileType>", "\t\t<Ext>BIN</Ext>",
                "\t\t<ExtraInfo>", "\t\t\t<Rem>Made by hand</Rem>",
                "\t\t\t<RefURL>http://example.invalid/mvx</RefURL>",
                "\t\t</ExtraInfo>", "\t\t<User>Zed</User>",
                "\t\t<E-Mail>zed at example dot invalid</E-Mail>",
                "\t\t<Home>http://example.invalid/~zed</Home>", "\t</Info>",
                "\t<General>", "\t\t<FileNum>7</FileNum>",
                "\t\t<Refine>" + std::string(refine) + "</Refine>"}) +
         std::string(check_strings_line);
}

std::string RefinedPatterns() {
  return Lines({"\t</General>",
                "\t<FrontBlock>",
                "\t\t<Pattern>",
                "\t\t\t<Bytes>4D565831</Bytes>",
                "\t\t\t<ASCII> M V X 1</ASCII>",
                "\t\t\t<Pos>0</Pos>",
                "\t\t</Pattern>",
                "\t\t<Pattern>",
                "\t\t\t<Bytes>53484152454420544558</Bytes>",
                "\t\t\t<ASCII> S H A R E D   T E X</ASCII>",
                "\t\t\t<Pos>5</Pos>",
                "\t\t</Pattern>",
                "\t\t<Pattern>",
                "\t\t\t<Bytes>FF</Bytes>",
                "\t\t\t<Pos>16</Pos>",
                "\t\t</Pattern>",
                "\t\t<Pattern>",
                "\t\t\t<Bytes>FF</Bytes>",
                "\t\t\t<Pos>22</Pos>",
                "\t\t</Pattern>",
                "\t</FrontBlock>"});
}

std::string RefineHead(const std::string& base) {
  return Join(
      {Banner(),
       Lines({"", "Refining definition <" + base + ">", "Checking files...",
              "Found 2 matching files", "Header Block Size: 23",
              "Scanning for patterns...", "Pattern(s) found: 4",
              "Last Pattern end at offset: 22"})});
}

std::string RefineTail(const std::string& output) {
  return Lines({"Writing XML file <" + output + ">...", "Finished!"});
}

// A plain refinement re-tests the base's strings against the new samples
// (upper-cased, apostrophes as NUL bytes), keeps its descriptive fields and
// replaces the base file, whose old content becomes the backup.
TEST(RefinementRun, KeepsFieldsAndFiltersInheritedStrings) {
  TempDir dir;
  const std::string base = HandWrittenBase();
  dir.Write("base.mavo.xml", base);
  WriteNewSamples(dir);
  RunResult run = dir.Run({"new/*.bin", "base.mavo.xml"});
  EXPECT_EQ(run.out,
            Join({RefineHead("base.mavo.xml"),
                  Lines({"Pre-filtering strings...", "Phase 1... 100%",
                         "Phase 2... 100%", "Erasing substrings... 100%",
                         "String(s) found: 3"}),
                  RefineTail("base.mavo.xml")}));
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_EQ(Normalized(dir, run, "base.mavo.xml"),
            Join({RefinedInfo("2 by Your name for the credits!",
                              Lines({"\t\t<CheckStrings>True</CheckStrings>"})),
                  DateLines(), RefinedPatterns(),
                  Lines({"\t<GlobalStrings>", "\t\t<String>SHARED TEX</String>",
                         "\t\t<String>A'BC\x8eX</String>",
                         "\t\t<String>MVX1</String>", "\t</GlobalStrings>",
                         "</Mavo>"})}));
  EXPECT_EQ(dir.Read(kBackup), base);
  EXPECT_FALSE(dir.Exists(kOutput));
}

// "/FS" cuts the strings from the new samples afresh; "/NS" drops them, and
// so does a base that does not say "True" for CheckStrings.
TEST(RefinementRun, StringSwitchesAndCheckStrings) {
  struct Row {
    const char* name;
    std::string check_strings;
    std::vector<std::string> switches;
    std::string passes;
    std::string strings;
  };
  const std::string no_strings = "";
  const Row rows[] = {
      {"/FS",
       "True",
       {"/FS"},
       StringPasses(true, 5, 4),
       Lines({"\t\t<CheckStrings>True</CheckStrings>"})},
      {"/NS then /FS",
       "True",
       {"/ns", "/fs"},
       StringPasses(true, 5, 4),
       Lines({"\t\t<CheckStrings>True</CheckStrings>"})},
      {"/NS", "True", {"/NS"}, "", ""},
      {"/FS then /NS", "True", {"/FS", "/NS"}, "", ""},
      {"CheckStrings in other case", "true", {}, "", ""},
      {"no CheckStrings", "", {}, "", ""},
      {"/FS without CheckStrings",
       "",
       {"/FS"},
       StringPasses(true, 5, 4),
       Lines({"\t\t<CheckStrings>True</CheckStrings>"})},
  };
  for (const Row& row : rows) {
    TempDir dir;
    dir.Write("base.mavo.xml", HandWrittenBase(row.check_strings));
    WriteNewSamples(dir);
    std::vector<std::string> args = {"new/*.bin", "base.mavo.xml"};
    args.insert(args.end(), row.switches.begin(), row.switches.end());
    RunResult run = dir.Run(args);
    EXPECT_EQ(run.out, Join({RefineHead("base.mavo.xml"), row.passes,
                             RefineTail("base.mavo.xml")}))
        << row.name;
    EXPECT_EQ(run.exit_code, 0) << row.name;
    if (run.exit_code != 0) continue;
    std::string strings =
        row.passes.empty()
            ? ""
            : Lines({"\t<GlobalStrings>", "\t\t<String>SHARED TEXZ</String>",
                     "\t\t<String>WORDS</String>", "\t\t<String>A'BC</String>",
                     "\t\t<String>MVX1</String>", "\t</GlobalStrings>"});
    EXPECT_EQ(
        Normalized(dir, run, "base.mavo.xml"),
        Join({RefinedInfo("2 by Your name for the credits!", row.strings),
              DateLines(), RefinedPatterns(), strings, Lines({"</Mavo>"})}))
        << row.name;
  }
}

// Refining the definition a first run wrote, with the same samples, keeps
// every pattern and string; the first run's file becomes the backup.
TEST(RefinementRun, RoundTripOfNewtype) {
  TempDir dir;
  dir.Write("a.bin", FamilySample(0));
  dir.Write("b.bin", FamilySample(1));
  dir.Write("c.bin", FamilySample(2));
  RunResult first = dir.Run({"*.bin"});
  ASSERT_EQ(first.exit_code, 0);
  std::string first_file = dir.Read(kOutput);

  RunResult second = dir.Run({"*.bin", kOutput});
  EXPECT_EQ(
      second.out,
      Join({Banner(),
            Lines({"", "Refining definition <newtype.mavo.xml>",
                   "Checking files...", "Found 3 matching files",
                   "Header Block Size: 23", "Scanning for patterns...",
                   "Pattern(s) found: 3", "Last Pattern end at offset: 22"}),
            StringPasses(false, 0, 2), RefineTail(kOutput)}));
  ASSERT_EQ(second.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), first_file);
  std::string refined = dir.Read(kOutput);
  for (const char* section : {"FrontBlock", "GlobalStrings"}) {
    std::string open = std::string("\t<") + section + ">";
    std::string close = std::string("\t</") + section + ">";
    EXPECT_EQ(Section(refined, open, close), Section(first_file, open, close))
        << section;
    EXPECT_NE(Section(refined, open, close), "") << section;
  }
  EXPECT_NE(refined.find(Lines({"\t\t<FileNum>6</FileNum>",
                                "\t\t<Refine>3 by Your name for the credits!"
                                "</Refine>",
                                "\t\t<CheckStrings>True</CheckStrings>"})),
            std::string::npos);
  EXPECT_NE(refined.find("\t\t<FileType>Enter a useful file type description"
                         "</FileType>\r\n"),
            std::string::npos);
}

// The refined file replaces the base in its own directory; the backup goes
// to the current directory, and a newtype.mavo.xml there is not touched.
TEST(RefinementRun, BaseInAnotherDirectory) {
  TempDir dir;
  const std::string base = HandWrittenBase();
  dir.Write("defs/my.mavo.xml", base);
  dir.Write(kOutput, "unrelated");
  dir.Write(kBackup, "older backup");
  WriteNewSamples(dir);
  RunResult run = dir.Run({"new/*.bin", "defs/my.mavo.xml", "/NS"});
  EXPECT_EQ(run.out, Join({RefineHead("defs/my.mavo.xml"),
                           RefineTail("defs/my.mavo.xml")}));
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), base);
  EXPECT_EQ(dir.Read(kOutput), "unrelated");
  EXPECT_EQ(dir.List("defs"), (std::vector<std::string>{"my.mavo.xml"}));
  EXPECT_EQ(Normalized(dir, run, "defs/my.mavo.xml"),
            Join({RefinedInfo("2 by Your name for the credits!", ""),
                  DateLines(), RefinedPatterns(), Lines({"</Mavo>"})}));

  // A base in another directory that happens to carry the backup's name is
  // a different file and may be refined.
  dir.Write("defs/newtype.mavo.xml.bak", base);
  RunResult other = dir.Run({"new/*.bin", "defs/newtype.mavo.xml.bak", "/NS"});
  EXPECT_EQ(other.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), base);
  EXPECT_NE(dir.Read("defs/newtype.mavo.xml.bak").find("<FileNum>7</FileNum>"),
            std::string::npos);
}

// On POSIX an absolute path begins with the switch character; an existing
// file named that way is the base definition all the same.
TEST(RefinementRun, AbsoluteBasePath) {
  TempDir dir;
  const std::string base = HandWrittenBase();
  dir.Write("defs/my.mavo.xml", base);
  WriteNewSamples(dir);
  const std::string absolute = dir.Abs("defs/my.mavo.xml");
  RunResult run = dir.Run({"new/*.bin", absolute, "/NS"});
  EXPECT_EQ(run.out, Join({RefineHead(absolute), RefineTail(absolute)}));
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), base);

  // The backup itself, named by its absolute path, is still refused.
  RunResult backup = dir.Run({"new/*.bin", dir.Abs(kBackup)});
  EXPECT_EQ(backup.exit_code, 1);
  EXPECT_EQ(dir.Read(kBackup), base);
}

// Refining the backup itself would delete the only copy of the base: the
// run stops before anything changes, however the file is named.
TEST(RefinementRun, BackupCannotBeRefinedInPlace) {
  for (const std::string& name :
       {std::string(kBackup), std::string("./") + kBackup,
        std::string("link.xml"), std::string("new/../") + kBackup}) {
    TempDir dir;
    const std::string base = HandWrittenBase();
    dir.Write(kBackup, base);
    dir.Symlink(kBackup, "link.xml");
    WriteNewSamples(dir);
    RunResult run = dir.Run({"new/*.bin", name});
    const std::string head = Join({Banner(), Lines({"", ""}), "* Error: "});
    EXPECT_TRUE(run.out.starts_with(head)) << name << "\n" << run.out;
    EXPECT_TRUE(run.out.ends_with("\r\n")) << name;
    EXPECT_EQ(run.out.find("\r\n", head.size()), run.out.size() - 2) << name;
    EXPECT_EQ(run.exit_code, 1) << name;
    EXPECT_EQ(dir.Read(kBackup), base) << name;
    EXPECT_EQ(dir.List(),
              (std::vector<std::string>{"link.xml", "new", kBackup}))
        << name;
  }
}

// Base definitions that cannot be used end the run before the samples.
TEST(RefinementRun, UnusableBaseDefinitions) {
  const std::string not_found = "* Error: definition <base.xml> not found.";
  const std::string unable = "* Error: unable to load definition!";
  struct Row {
    const char* name;
    std::string content;  // "" for none; "DIR" makes a directory
    std::string typed;
    std::vector<std::string> lines;
  };
  const std::string good = HandWrittenBase();
  std::string lf_only = good;
  for (size_t p; (p = lf_only.find("\r\n")) != std::string::npos;) {
    lf_only.erase(p, 1);
  }
  const Row rows[] = {
      {"missing", "", "base.xml", {not_found}},
      {"directory", "DIR", "base.xml", {not_found}},
      {"hidden",
       good,
       ".base.xml",
       {"* Error: definition <.base.xml> not found."}},
      {"empty file",
       "\r\n",
       "base.xml",
       {"Refining definition <base.xml>", unable}},
      {"other root",
       "<Other><Info><User>x</User></Info></Other>",
       "base.xml",
       {"Refining definition <base.xml>", unable}},
      {"declaration and LF line ends",
       "<?xml version=\"1.0\"?>\n" + lf_only,
       "base.xml",
       {"Refining definition <base.xml>", unable}},
      {"byte-order mark",
       "\xef\xbb\xbf" + good,
       "base.xml",
       {"Refining definition <base.xml>", unable}},
      {"Bytes without Pos",
       "<Mavo><FrontBlock><Pattern><Bytes>4D</Bytes></Pattern></FrontBlock>"
       "</Mavo>",
       "base.xml",
       {"Refining definition <base.xml>", unable}},
  };
  for (const Row& row : rows) {
    TempDir dir;
    if (row.content == "DIR") {
      dir.MakeDir(row.typed);
    } else if (!row.content.empty()) {
      dir.Write(row.typed, row.content);
    }
    WriteNewSamples(dir);
    RunResult run = dir.Run({"new/*.bin", row.typed});
    std::vector<std::string> lines = {""};
    lines.insert(lines.end(), row.lines.begin(), row.lines.end());
    EXPECT_EQ(run.out, Join({Banner(), Lines(lines)})) << row.name;
    EXPECT_EQ(run.exit_code, 1) << row.name;
    EXPECT_FALSE(dir.Exists(kBackup)) << row.name;
  }
}

// A base definition that exists but cannot be read (the tool runs as nobody
// when the test runs as root).
TEST(RefinementRun, UnreadableBaseDefinition) {
  TempDir dir;
  dir.Write("base.mavo.xml", HandWrittenBase());
  WriteNewSamples(dir);
  dir.Chmod("base.mavo.xml", 0);
  dir.Chmod(".", 0755);
  RunResult run = dir.Run({"new/*.bin", "base.mavo.xml"}, {.drop_root = true});
  if (run.exit_code == 125) GTEST_SKIP() << run.err;
  EXPECT_EQ(run.out,
            Join({Banner(), Lines({"", "Refining definition <base.mavo.xml>",
                                   "* Error: unable to load definition!"})}));
  EXPECT_EQ(run.exit_code, 1);
}

// The base's file count counts toward the minimum of two samples.
TEST(RefinementRun, SingleSampleNeedsACountingBase) {
  TempDir dir;
  dir.Write("base.mavo.xml", HandWrittenBase());
  dir.Write("one/a.bin", FamilySample(0));
  RunResult run = dir.Run({"one/*.bin", "base.mavo.xml", "/NS"});
  EXPECT_NE(run.out.find(Lines({"Checking files...", "Found 1 matching files",
                                "Header Block Size: 23"})),
            std::string::npos);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(dir.Read("base.mavo.xml").find("<FileNum>6</FileNum>"),
            std::string::npos);

  std::string without_count = HandWrittenBase();
  without_count.erase(without_count.find("\t\t<FileNum>5</FileNum>\r\n"), 24);
  dir.Write("nocount.mavo.xml", without_count);
  RunResult lone = dir.Run({"one/*.bin", "nocount.mavo.xml", "/NS"});
  EXPECT_EQ(
      lone.out,
      Join({Banner(), Lines({"", "Refining definition <nocount.mavo.xml>",
                             "Checking files...", "",
                             "* Error: You need to scan at least 2 files (the "
                             "more, the better!),",
                             "         or refine an existing def"})}));
  EXPECT_EQ(lone.exit_code, 1);
}

// A base without patterns leaves nothing to compare.
TEST(RefinementRun, BaseWithoutPatterns) {
  TempDir dir;
  std::string base = HandWrittenBase();
  size_t begin = base.find("\t<FrontBlock>");
  size_t end = base.find("\t</FrontBlock>\r\n") + 16;
  base.replace(begin, end - begin,
               Lines({"\t<FrontBlock>", "\t</FrontBlock>"}));
  dir.Write("base.mavo.xml", base);
  WriteNewSamples(dir);
  RunResult run = dir.Run({"new/*.bin", "base.mavo.xml"});
  EXPECT_EQ(
      run.out,
      Join({Banner(), Lines({"", "Refining definition <base.mavo.xml>",
                             "Checking files...", "Found 2 matching files",
                             "Header Block Size: 0", "Scanning for patterns...",
                             "Pattern(s) found: 0"})}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(dir.Read("base.mavo.xml"), base);
}

// The author fields of a new definition come from the settings file.
TEST(SettingsRun, AuthorFieldsOfANewDefinition) {
  const std::vector<std::string> placeholders = {
      "Your name for the credits!", "Your antispam-encoded e-mail!",
      "Your Home Page"};
  struct Row {
    const char* name;
    std::string settings;  // "" for none; "DIR" makes a directory
    std::vector<std::string> fields;
  };
  const Row rows[] = {
      {"no settings file", "", placeholders},
      {"all three",
       Lines({"<?xml version=\"1.0\"?>", "<SETTINGS>", "\t<USER>Ann</USER>",
              "\t<E-MAIL>ann at example dot invalid</E-MAIL>",
              "\t<HOME>http://example.invalid/ann</HOME>", "</SETTINGS>"}),
       {"Ann", "ann at example dot invalid", "http://example.invalid/ann"}},
      {"lower-case names",
       "<settings><user>Ann</user><e-mail>a@b</e-mail></settings>",
       {"Ann", "a@b", "Your Home Page"}},
      {"other root", "<CONFIG><USER>Ann</USER></CONFIG>", placeholders},
      {"USER one level deeper",
       "<SETTINGS><AUTHOR><USER>Ann</USER></AUTHOR></SETTINGS>", placeholders},
      {"USER twice",
       "<SETTINGS><USER>Ann</USER><USER>Bob</USER></SETTINGS>",
       {"Bob", placeholders[1], placeholders[2]}},
      {"empty USER",
       "<SETTINGS><USER>  </USER><HOME>h</HOME></SETTINGS>",
       {placeholders[0], placeholders[1], "h"}},
      {"settings name is a directory", "DIR", placeholders},
  };
  for (const Row& row : rows) {
    TempDir dir;
    if (row.settings == "DIR") {
      dir.Write("mavoscan.cfg.xml/USER", "<SETTINGS><USER>x</USER></SETTINGS>");
    } else if (!row.settings.empty()) {
      dir.Write("mavoscan.cfg.xml", row.settings);
    }
    dir.Write("a.bin", FamilySample(0));
    dir.Write("b.bin", FamilySample(1));
    RunResult run = dir.Run({"*.bin", "/NS"});
    EXPECT_EQ(run.exit_code, 0) << row.name;
    if (run.exit_code != 0) continue;
    std::string definition = dir.Read(kOutput);
    EXPECT_NE(definition.find(Lines(
                  {"\t\t</ExtraInfo>", "\t\t<User>" + row.fields[0] + "</User>",
                   "\t\t<E-Mail>" + row.fields[1] + "</E-Mail>",
                   "\t\t<Home>" + row.fields[2] + "</Home>", "\t</Info>"})),
              std::string::npos)
        << row.name << "\n"
        << definition;
    EXPECT_NE(definition.find("<FileType>Enter a useful file type description"
                              "</FileType>\r\n"),
              std::string::npos)
        << row.name;
  }
}

// Each refinement appends its own credit, naming the user of the settings
// file, while the definition keeps its original author fields.
TEST(SettingsRun, CreditChain) {
  TempDir dir;
  for (int i = 0; i < 2; ++i) {
    dir.Write("first/s" + std::to_string(i) + ".bin", FamilySample(i));
  }
  for (int i = 0; i < 7; ++i) {
    dir.Write("second/s" + std::to_string(i) + ".bin", FamilySample(i + 2));
  }
  for (int i = 0; i < 3; ++i) {
    dir.Write("third/s" + std::to_string(i) + ".bin", FamilySample(i + 9));
  }
  dir.Write("mavoscan.cfg.xml",
            "<SETTINGS><USER>Zed</USER><E-MAIL>zed@x</E-MAIL></SETTINGS>");
  ASSERT_EQ(dir.Run({"first/*.bin"}).exit_code, 0);

  dir.Write("mavoscan.cfg.xml",
            "<SETTINGS><USER>Ann</USER><E-MAIL>ann@x</E-MAIL></SETTINGS>");
  RunResult second = dir.Run({"second/*.bin", kOutput});
  ASSERT_EQ(second.exit_code, 0);
  std::string after_second = dir.Read(kOutput);
  EXPECT_NE(after_second.find(Lines(
                {"\t\t<FileNum>9</FileNum>", "\t\t<Refine>7 by Ann</Refine>"})),
            std::string::npos)
      << after_second;

  dir.Write("mavoscan.cfg.xml", "<SETTINGS><USER>Bob</USER></SETTINGS>");
  RunResult third = dir.Run({"third/*.bin", kOutput});
  ASSERT_EQ(third.exit_code, 0);
  std::string after_third = dir.Read(kOutput);
  EXPECT_NE(after_third.find(Lines({"\t\t<FileNum>12</FileNum>",
                                    "\t\t<Refine>7 by Ann - 3 by Bob</Refine>",
                                    "\t\t<CheckStrings>True</CheckStrings>"})),
            std::string::npos)
      << after_third;
  EXPECT_NE(after_third.find(
                Lines({"\t\t<User>Zed</User>", "\t\t<E-Mail>zed@x</E-Mail>",
                       "\t\t<Home>Your Home Page</Home>"})),
            std::string::npos)
      << after_third;
  EXPECT_EQ(dir.Read(kBackup), after_second);
}

}  // namespace
}  // namespace mavoscan::e2e
