#include "check/run_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_platform.h"

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
       "mavocheck: error: bad.xml is malformed: a pattern's Bytes have no "
       "Pos"},
      {"negative offset",
       {"neg.xml", "in/*"},
       2,
       "mavocheck: error: neg.xml is malformed: pattern 1 lies at offset -2"},
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

TEST(RunCheck, JsonReportEscapesTexts) {
  FakePlatform fake;
  fake.AddFile("d.xml",
               "<Mavo><Info><FileType>Say \"hi\"</FileType></Info><General>"
               "<CheckStrings>True</CheckStrings></General><FrontBlock>"
               "<Pattern><Bytes>41FF</Bytes><Pos>0</Pos></Pattern>"
               "</FrontBlock><GlobalStrings><String>a\\\xE9</String>"
               "</GlobalStrings></Mavo>");
  fake.AddFile("f\x01.bin", "A");
  fake.SetArguments({"d.xml", "f*", "--json"});
  EXPECT_EQ(RunCheck(fake), 1);
  EXPECT_EQ(fake.output(),
            "{\"definition\":\"d.xml\",\"file_type\":\"Say \\\"hi\\\"\","
            "\"patterns\":[{\"offset\":0,\"bytes\":\"41FF\"}],"
            "\"check_strings\":true,\"strings\":[\"a\\\\\\u00E9\"],"
            "\"files\":[{\"path\":\"f\\u0001.bin\",\"match\":false,"
            "\"failed_patterns\":[{\"pattern\":1,\"offset\":0,"
            "\"expected\":\"41FF\",\"found\":\"41\",\"file_too_short\":true}],"
            "\"missing_strings\":[{\"string\":1,\"text\":\"a\\\\\\u00E9\"}]}],"
            "\"matched\":0,\"not_files\":[],\"not_matched\":0,"
            "\"strength\":{\"pattern_bytes\":2,\"informative_bytes\":1,"
            "\"chance_bits\":10.0,\"chance\":\"about 1 in 1000\"},"
            "\"warnings\":[{\"kind\":\"few-informative-bytes\",\"text\":"
            "\"the patterns hold 1 informative byte, fewer than 4: files of "
            "other types will match\",\"items\":[]},{\"kind\":"
            "\"likely-false-matches\",\"text\":\"an unrelated file matches "
            "the patterns about 1 in 1000 (estimate)\",\"items\":[]}],"
            "\"passed\":false}\n");
}

}  // namespace
}  // namespace mavoscan
