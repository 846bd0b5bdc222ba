#include "check/run_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/json_reader.h"

namespace mavoscan {
namespace {

// "MV" at 0 and "1" at 2047; the string "Shared'Text" (NUL for the
// apostrophe).
constexpr char kDefinition[] =
    "<Mavo><Info><FileType>T</FileType></Info>"
    "<General><CheckStrings>True</CheckStrings></General><FrontBlock>"
    "<Pattern><Bytes>4D56</Bytes><Pos>0</Pos></Pattern>"
    "<Pattern><Bytes>31</Bytes><Pos>2047</Pos></Pattern></FrontBlock>"
    "<GlobalStrings><String>Shared'Text</String></GlobalStrings></Mavo>";

std::string Sample(char first, char last, bool with_string = true) {
  std::string data(2048, '.');
  data.replace(0, 2, {'M', first});
  data[2047] = last;
  if (with_string) data.replace(100, 11, std::string("shared\0text", 11));
  return data;
}

struct CheckRun {
  int exit_code;
  std::string output;
  std::string errors;
};

CheckRun Check(const std::vector<std::string>& arguments) {
  FakePlatform fake;
  fake.AddFile("d.mavo.xml", kDefinition);
  fake.AddFile("bad.xml",
               "<Mavo><FrontBlock><Pattern><Bytes>41</Bytes></Pattern>"
               "</FrontBlock></Mavo>");
  fake.AddFile("other.xml", "<html><p>text</p></html>");
  fake.AddFile("neg.xml",
               "<Mavo><FrontBlock><Pattern><Bytes>41</Bytes><Pos>-2</Pos>"
               "</Pattern></FrontBlock></Mavo>");
  fake.AddFile("in/a.bin", Sample('V', '1'));
  fake.AddFile("in/b.bin", Sample('V', '1'));
  fake.AddFile("odd/c.bin", Sample('W', '1', /*with_string=*/false));
  fake.AddFile("odd/d.bin", "MV");
  fake.AddFile("no/x.bin", Sample('Z', '1'));
  fake.AddFile("locked/y.bin", Sample('V', '1'));
  fake.MakeUnreadable("locked/y.bin");
  // Files are verified two at a time; the first unreadable one in order is
  // the one named.
  fake.AddFile("locked/z.bin", Sample('V', '1'));
  fake.MakeUnreadable("locked/z.bin");
  fake.SetArguments(arguments);
  CheckRun run;
  run.exit_code = RunCheck(fake);
  run.output = fake.output();
  run.errors = fake.error_output();
  return run;
}

TEST(RunCheck, ExitCodesAndMessages) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exit_code;
    std::string output_part;
  } rows[] = {
      {"all match", {"d.mavo.xml", "in/*"}, 0, "2 of 2 match\n"},
      {"one fails", {"d.mavo.xml", "in/*", "odd/c.bin"}, 1, "2 of 3 match\n"},
      {"decoy rejected",
       {"d.mavo.xml", "in/*", "--not", "no/*"},
       0,
       "1 of 1 do not match\n"},
      {"decoy matches",
       {"d.mavo.xml", "--not", "in/a.bin", "--not", "no/*", "--not",
        "in/b.bin"},
       1,
       "1 of 3 do not match; matching: in/a.bin in/b.bin\n"},
      {"file too short",
       {"d.mavo.xml", "odd/d.bin"},
       1,
       "odd/d.bin: no match\n"
       "  pattern 2 at offset 2047: expected 31, found nothing, file too "
       "short\n"
       "  string 1 missing: \"Shared'Text\"\n"
       "0 of 1 match\n"},
      {"help", {"d.mavo.xml", "--help"}, 0, "Usage: mavocheck"},
      {"version", {"--version"}, 0, "mavocheck 1.56\n"},
      {"no arguments", {}, 2, "mavocheck: error: no definition file given"},
      {"no mask", {"d.mavo.xml"}, 2, "mavocheck: error: no files mask given"},
      {"unknown option",
       {"d.mavo.xml", "in/*", "--strong"},
       2,
       "mavocheck: error: --strong is not an option of verify"},
      {"a warning alone passes",
       {"d.mavo.xml", "in/*"},
       0,
       "  the patterns hold 3 informative bytes, fewer than 4"},
      {"--strict fails on it",
       {"d.mavo.xml", "in/*", "--strict"},
       1,
       "2 of 2 match\n"},
      {"value of a flag",
       {"d.mavo.xml", "in/*", "--json=yes"},
       2,
       "mavocheck: error: --json takes no value"},
      {"folds out of range",
       {"--cross-check", "in/*", "--folds", "1"},
       2,
       "mavocheck: error: --folds takes a number from 2 to 100"},
      {"seed not a number",
       {"--cross-check", "in/*", "--seed=-1"},
       2,
       "mavocheck: error: --seed takes a whole number"},
      {"cross-check without samples",
       {"--cross-check", "--folds=3"},
       2,
       "mavocheck: error: no samples mask given"},
      {"cross-check with --not",
       {"--cross-check", "in/*", "--not", "no/*"},
       2,
       "mavocheck: error: --not is not an option of cross-check"},
      {"--not without mask",
       {"d.mavo.xml", "in/*", "--not"},
       2,
       "mavocheck: error: --not needs MASK after it"},
      {"empty argument",
       {"d.mavo.xml", "", "in/*"},
       2,
       "mavocheck: error: an argument is empty"},
      {"mask matches nothing",
       {"d.mavo.xml", "in/*", "none/*"},
       2,
       "mavocheck: error: no file matches none/*\n"},
      {"no definition",
       {"gone.xml", "in/*"},
       2,
       "mavocheck: error: cannot read the definition gone.xml\n"},
      {"not a definition",
       {"other.xml", "in/*"},
       2,
       "mavocheck: error: other.xml is not a definition"},
      {"malformed definition",
       {"bad.xml", "in/*"},
       2,
       "mavocheck: error: bad.xml is malformed: pattern 1 has Bytes but no "
       "Pos"},
      {"negative offset",
       {"neg.xml", "in/*"},
       2,
       "mavocheck: error: neg.xml is malformed: Pos \"-2\" of pattern 1"},
      {"explain subcommand",
       {"explain", "d.mavo.xml", "in/*"},
       0,
       "Held by the 2 files:\n"},
      {"today's --explain",
       {"d.mavo.xml", "in/*", "--explain"},
       0,
       "Held by the 2 files:\n"},
      {"verify subcommand",
       {"verify", "d.mavo.xml", "in/*", "--json"},
       0,
       "\"format\":\"mavocheck-verify/1\""},
      {"subcommand help",
       {"cross-check", "--help"},
       0,
       "Usage: mavocheck cross-check MASK... [--folds K]"},
      {"option of another subcommand",
       {"verify", "d.mavo.xml", "in/*", "--folds", "3"},
       2,
       "mavocheck: error: --folds is not an option of verify (see mavocheck "
       "verify --help)\n"},
      {"unreadable file",
       {"d.mavo.xml", "in/*", "--not", "locked/*"},
       2,
       "mavocheck: error: cannot open locked/y.bin\n"},
      {"-- ends the options",
       {"d.mavo.xml", "--", "--json"},
       2,
       "mavocheck: error: cannot open --json"},
  };
  for (const auto& row : rows) {
    const CheckRun run = Check(row.arguments);
    EXPECT_EQ(run.exit_code, row.exit_code) << row.name;
    const std::string& read = row.exit_code == 2 ? run.errors : run.output;
    EXPECT_NE(read.find(row.output_part), std::string::npos)
        << row.name << "\n"
        << run.output << run.errors;
    // An error is one line on standard error; nothing half-done goes to
    // standard output.
    if (row.exit_code == 2) {
      EXPECT_EQ(run.output, "") << row.name;
      EXPECT_TRUE(run.errors.starts_with("mavocheck: error: ")) << row.name;
      EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1)
          << row.name;
    } else {
      EXPECT_EQ(run.errors, "") << row.name;
    }
  }
}

std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// A file name reaches the text report with its control bytes escaped, and
// a JSON reader as UTF-8: the name itself when it is valid UTF-8, else with
// U+FFFD in "path" and the exact bytes in "path_hex".
TEST(RunCheck, NamesInTextAndJson) {
  const struct {
    const char* name;
    std::string file;
    std::string text_line;  // the verdict line of the text report
    std::string json_path;
  } rows[] = {
      {"UTF-8", "caf\xC3\xA9.png", "caf\xC3\xA9.png: match", "caf\xC3\xA9.png"},
      {"Latin-1 byte", "caf\xE9.png", "caf\xE9.png: match",
       "caf\xEF\xBF\xBD.png"},
      {"cut sequence", "x\xE2\x82.png", "x\xE2\x82.png: match",
       "x\xEF\xBF\xBD\xEF\xBF\xBD.png"},
      {"terminal escape", "a\x1B[2J.png", "a\\x1B[2J.png: match",
       "a\x1B[2J.png"},
      {"line feed", "two\nlines.png", "two\\x0Alines.png: match",
       "two\nlines.png"},
      {"quote and backslash", "q\"\\.png", "q\"\\.png: match", "q\"\\.png"},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("d.mavo.xml", kDefinition);
    fake.AddFile(row.file, Sample('V', '1'));
    fake.SetArguments({"d.mavo.xml", row.file});
    ASSERT_EQ(RunCheck(fake), 0) << row.name << fake.error_output();
    const std::string& text = fake.output();
    EXPECT_NE(text.find("\n" + row.text_line + "\n"), std::string::npos)
        << row.name << "\n"
        << text;
    for (char c : text) {
      EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20)
          << row.name << ": a control byte reached the text report";
    }

    FakePlatform again;
    again.AddFile("d.mavo.xml", kDefinition);
    again.AddFile(row.file, Sample('V', '1'));
    again.SetArguments({"verify", "--json", "d.mavo.xml", "--", row.file});
    ASSERT_EQ(RunCheck(again), 0) << row.name;
    JsonValue report;
    ASSERT_TRUE(JsonReader::Parse(again.output(), &report))
        << row.name << ": not JSON\n"
        << again.output();
    ASSERT_EQ(report["files"].items.size(), 1u) << row.name;
    const JsonValue& file = report["files"].items[0];
    EXPECT_EQ(file["path"].text, row.json_path) << row.name;
    const bool exact = row.json_path == row.file;
    EXPECT_EQ(file.Has("path_hex"), !exact) << row.name;
    if (!exact) {
      EXPECT_EQ(file["path_hex"].text, HexOf(row.file)) << row.name;
    }
    EXPECT_EQ(report["format"].text, "mavocheck-verify/1");
    EXPECT_TRUE(report["files"].items[0]["match"].boolean) << row.name;
  }
}

// What the scanner never writes is refused, naming the element and value.
TEST(RunCheck, MalformedDefinitions) {
  auto pattern = [](const std::string& bytes, const std::string& pos) {
    return "<Mavo><General><CheckStrings>False</CheckStrings></General>"
           "<FrontBlock><Pattern><Bytes>" +
           bytes + "</Bytes><Pos>" + pos +
           "</Pos></Pattern></FrontBlock></Mavo>";
  };
  const struct {
    const char* name;
    std::string definition;
    std::string error;
  } rows[] = {
      {"Pos beyond 32 bits", pattern("4D", "4294967295"),
       "Pos \"4294967295\" of pattern 1 is not a decimal number from 0 to "
       "2047"},
      {"Pos not a number", pattern("4D", "abc"), "Pos \"abc\" of pattern 1"},
      {"Pos with a fraction", pattern("4D", "1.5"), "Pos \"1.5\" of pattern 1"},
      {"Pos past the block", pattern("4D", "2048"),
       "Pos \"2048\" of pattern 1"},
      {"odd Bytes", pattern("4D5", "0"),
       "Bytes \"4D5\" of pattern 1 has an odd number of digits"},
      {"Bytes not hex", pattern("ZZQQ", "0"),
       "Bytes \"ZZQQ\" of pattern 1 is not hexadecimal"},
      {"empty Bytes", pattern("", "0"), "Pos \"0\" has no Bytes before it"},
      {"pattern past 2048 bytes", pattern("4D5A", "2047"),
       "pattern 1 (Pos 2047, 2 bytes) reaches past the front block of 2048 "
       "bytes"},
      {"Bytes without Pos",
       "<Mavo><FrontBlock><Pattern><Bytes>41</Bytes></Pattern><Pattern>"
       "<Bytes>42</Bytes><Pos>1</Pos></Pattern></FrontBlock></Mavo>",
       "pattern 1 has Bytes but no Pos"},
      {"no Mavo root", "<Other><FrontBlock>x</FrontBlock></Other>",
       "is not a definition: it has no Mavo root element"},
      {"text after the root", pattern("4D", "0") + "<x>y</x>",
       "is not a definition"},
      {"random bytes after the root",
       std::string("<Mavo>\x01\x9A<<q>>z\xFF", 14),
       "is malformed: it has no FrontBlock with a pattern"},
      {"no front block", "<Mavo><Info><FileType>T</FileType></Info></Mavo>",
       "it has no FrontBlock with a pattern"},
      {"CheckStrings neither",
       "<Mavo><General><CheckStrings>yes</CheckStrings></General><FrontBlock>"
       "<Pattern><Bytes>4D</Bytes><Pos>0</Pos></Pattern></FrontBlock></Mavo>",
       "CheckStrings \"yes\" is neither True nor False"},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("m.xml", row.definition);
    fake.AddFile("in/a.bin", Sample('V', '1'));
    fake.SetArguments({"m.xml", "in/a.bin"});
    EXPECT_EQ(RunCheck(fake), 2) << row.name;
    EXPECT_EQ(fake.output(), "") << row.name;
    EXPECT_TRUE(fake.error_output().starts_with("mavocheck: error: m.xml "))
        << row.name << ": " << fake.error_output();
    EXPECT_NE(fake.error_output().find(row.error), std::string::npos)
        << row.name << ": " << fake.error_output();
  }
}

// A platform whose memory runs out when a chosen file is opened, on
// whichever thread opens it.
class ShortOfMemory : public FakePlatform {
 public:
  explicit ShortOfMemory(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override {
    if (name == path_) throw std::bad_alloc();
    return FakePlatform::OpenForReading(name);
  }
  bool ReadWholeFile(const std::string& name, std::string* data) override {
    if (name == path_) throw std::bad_alloc();
    return FakePlatform::ReadWholeFile(name, data);
  }

 private:
  std::string path_;
};

// Every failure ends the run with one line on standard error, exit code 2
// and no report, however far the report had got.
TEST(RunCheck, FailuresAreErrors) {
  const struct {
    const char* name;
    std::string short_of_memory_at;
    FakeCall failing;
    bool unreadable_definition;
    std::string error;
  } rows[] = {
      {"report to a full device", "", FakeCall::kReport, false,
       "mavocheck: error: cannot write the report (No space left on "
       "device)\n"},
      {"unreadable definition", "", FakeCall::kOpen, true,
       "mavocheck: error: cannot read the definition d.mavo.xml (No space left "
       "on device)\n"},
      {"memory runs out on a verifying thread", "in/b.bin", FakeCall::kOpen,
       false, "mavocheck: error: out of memory\n"},
      {"memory runs out reading the definition", "d.mavo.xml", FakeCall::kOpen,
       false, "mavocheck: error: out of memory\n"},
  };
  for (const auto& row : rows) {
    ShortOfMemory fake(row.short_of_memory_at);
    fake.AddFile("d.mavo.xml", kDefinition);
    for (int i = 0; i < 40; ++i) {
      fake.AddFile("in/" + std::string(1, static_cast<char>('a' + i % 26)) +
                       std::to_string(i) + ".bin",
                   Sample('V', '1'));
    }
    fake.AddFile("in/b.bin", Sample('V', '1'));
    if (row.failing == FakeCall::kReport) fake.FailCall(FakeCall::kReport, 1);
    if (row.unreadable_definition) fake.MakeUnreadable("d.mavo.xml");
    fake.SetFailureReason("No space left on device");
    fake.SetTerminal(true);
    fake.SetArguments({"d.mavo.xml", "in/*"});
    EXPECT_EQ(RunCheck(fake), 2) << row.name;
    EXPECT_EQ(fake.error_output(), row.error) << row.name;
    // On a terminal the progress line was shown; it is wiped and nothing of
    // a report follows.
    const std::string& screen = fake.output();
    EXPECT_EQ(screen.find("match"), std::string::npos) << row.name << screen;
    EXPECT_EQ(fake.CursorColumn(), 0) << row.name << ": line not wiped";
  }
}

// Names are taken as the system handed them over: a name without * or ?
// is one file, looked up as written without listing its directory; masks
// keep the scanner's rule, which ignores ASCII case.
TEST(RunCheck, NamesAsGiven) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int exit_code;
    std::vector<std::string> verified;  // paths of "files", in order
    std::vector<std::string> not_verified;
  } rows[] = {
      {"quote inside a name",
       {"d.mavo.xml", "d/a\" b.mvx"},
       0,
       {"d/a\" b.mvx"},
       {}},
      {"lone quote",
       {"d.mavo.xml", "d/\"", "d/x.mvx"},
       0,
       {"d/\"", "d/x.mvx"},
       {}},
      {"spaces kept", {"d.mavo.xml", " d/x.mvx"}, 2, {}, {}},
      {"plain name keeps its case",
       {"d.mavo.xml", "d/x.mvx"},
       0,
       {"d/x.mvx"},
       {}},
      {"--not counts only the file named",
       {"d.mavo.xml", "d/x.mvx", "--not", "d/X.MVX"},
       1,
       {"d/x.mvx"},
       {"d/X.MVX"}},
      {"mask ignores case",
       {"d.mavo.xml", "d/x.*"},
       0,
       {"d/X.MVX", "d/x.mvx"},
       {}},
      {"empty name refused", {"d.mavo.xml", "d/x.mvx", ""}, 2, {}, {}},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("d.mavo.xml", kDefinition);
    for (const char* name : {"d/a\" b.mvx", "d/\"", "d/x.mvx", "d/X.MVX"}) {
      fake.AddFile(name, Sample('V', '1'));
    }
    std::vector<std::string> arguments = row.arguments;
    arguments.push_back("--json");
    fake.SetArguments(arguments);
    EXPECT_EQ(RunCheck(fake), row.exit_code)
        << row.name << ": " << fake.error_output();
    if (row.exit_code == 2) continue;
    JsonValue report;
    ASSERT_TRUE(JsonReader::Parse(fake.output(), &report)) << row.name;
    std::vector<std::string> verified;
    for (const JsonValue& file : report["files"].items) {
      verified.push_back(file["path"].text);
    }
    std::vector<std::string> not_verified;
    for (const JsonValue& file : report["not_files"].items) {
      not_verified.push_back(file["path"].text);
    }
    EXPECT_EQ(verified, row.verified) << row.name;
    EXPECT_EQ(not_verified, row.not_verified) << row.name;
  }
}

// Names the shell expanded cost one open each, not a listing of their
// directory each.
TEST(RunCheck, ManyNamesInALargeDirectory) {
  FakePlatform fake;
  fake.AddFile("d.mavo.xml", kDefinition);
  std::vector<std::string> arguments = {"verify", "d.mavo.xml"};
  for (int i = 0; i < 20000; ++i) {
    const std::string path = "big/" + std::to_string(i) + ".bin";
    fake.AddFile(path, i % 10 == 0 ? Sample('V', '1') : std::string("x"));
    if (i % 10 == 0) arguments.push_back(path);
  }
  fake.SetArguments(arguments);
  EXPECT_EQ(RunCheck(fake), 0) << fake.error_output();
  EXPECT_EQ(fake.call_count(FakeCall::kFind), 0);
  EXPECT_NE(fake.output().find("\n2000 of 2000 match\n"), std::string::npos);

  fake.SetArguments({"verify", "d.mavo.xml", "big/1?0.bin"});
  EXPECT_EQ(RunCheck(fake), 0) << fake.error_output();
  EXPECT_EQ(fake.call_count(FakeCall::kFind), 1);
}

}  // namespace
}  // namespace mavoscan
