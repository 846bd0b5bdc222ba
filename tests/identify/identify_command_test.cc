#include "identify/identify_command.h"

#include <gtest/gtest.h>

#include <memory>

#include "check/run_check.h"
#include "fakes/fake_platform.h"
#include "fakes/json_reader.h"

namespace mavoscan {
namespace {

// The JSON lines of a report, each parsed whole.
std::vector<JsonValue> JsonLines(const std::string& report) {
  std::vector<JsonValue> lines;
  size_t start = 0;
  for (size_t end; (end = report.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string_view line(report.data() + start, end - start);
    JsonValue value;
    EXPECT_TRUE(JsonReader::Parse(line, &value)) << line;
    lines.push_back(value);
  }
  EXPECT_EQ(start, report.size()) << "the report ends inside a line";
  return lines;
}

constexpr char kPng[] =
    "<Mavo><Info><FileType>PNG image</FileType><Ext>PNG</Ext></Info>"
    "<General><CheckStrings>False</CheckStrings></General><FrontBlock>"
    "<Pattern><Bytes>89504E47</Bytes><Pos>0</Pos></Pattern></FrontBlock>"
    "</Mavo>";
constexpr char kMvx[] =
    "<Mavo><Info><FileType>MVX drawing</FileType><Ext>MVX</Ext></Info>"
    "<General><CheckStrings>True</CheckStrings></General><FrontBlock>"
    "<Pattern><Bytes>4D565831</Bytes><Pos>0</Pos></Pattern></FrontBlock>"
    "<GlobalStrings><String>Layer one</String></GlobalStrings></Mavo>";

struct IdentifyRun {
  int exit_code = 0;
  std::string output;
  std::string errors;
};

// A library in "lib" and files in "in", with `arguments` after
// "identify"; `setup` adds to the fake.
IdentifyRun Identify(const std::vector<std::string>& arguments,
                     const std::function<void(FakePlatform&)>& setup = {}) {
  FakePlatform fake;
  fake.AddFile("lib/png.mavo.xml", kPng);
  fake.AddFile("lib/mvx.mavo.xml", kMvx);
  fake.AddFile("in/a.png", "\x89PNG\r\n\x1a\n");
  fake.AddFile("in/b.mvx", "MVX1 ... layer ONE ...");
  fake.AddFile("in/c.txt", "plain text");
  fake.AddFile("in/d e.png", "\x89PNG");
  if (setup) setup(fake);
  std::vector<std::string> all = {"identify"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  fake.SetArguments(all);
  IdentifyRun run;
  run.exit_code = RunCheck(fake);
  run.output = fake.output();
  run.errors = fake.error_output();
  return run;
}

TEST(IdentifyCommand, ReportsAndExitCodes) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void(FakePlatform&)> setup;
    int exit_code;
    std::string output;
    std::string errors;
  } rows[] = {
      {"a mask: one line per file, unknown included",
       {"--defs", "lib", "in/*"},
       {},
       0,
       "in/a.png: PNG image [png.mavo.xml, 26 bits]\n"
       "in/b.mvx: MVX drawing [mvx.mavo.xml, 66.2 bits]\n"
       "in/c.txt: unknown\n"
       "in/d e.png: PNG image [png.mavo.xml, 26 bits]\n",
       ""},
      {"an unreadable file among good ones is one line and exit 1",
       {"--defs", "lib", "in/a.png", "in/locked", "in/c.txt"},
       [](FakePlatform& fake) {
         fake.AddFile("in/locked", "\x89PNG");
         fake.MakeUnreadable("in/locked");
         fake.SetFailureReason("Permission denied");
       },
       1,
       "in/a.png: PNG image [png.mavo.xml, 26 bits]\n"
       "in/locked: error: cannot open: Permission denied\n"
       "in/c.txt: unknown\n",
       "mavocheck: 1 of 3 files could not be read\n"},
      {"a malformed definition in the directory ends the run",
       {"--defs", "lib", "in/*"},
       [](FakePlatform& fake) {
         fake.AddFile("lib/bad.mavo.xml", "<html>not a definition</html>");
       },
       2,
       "",
       "mavocheck: error: "},
      {"an empty library is an error",
       {"--defs", "empty", "in/*"},
       {},
       2,
       "",
       "mavocheck: error: no definition file (*.mavo.xml) in empty\n"},
      {"a definition named on its own",
       {"--defs", "lib/png.mavo.xml", "in/b.mvx"},
       {},
       0,
       "in/b.mvx: unknown\n",
       ""},
      {"the list from standard input, NUL-separated",
       {"--defs", "lib", "--files-from", "-", "-0"},
       [](FakePlatform& fake) {
         fake.AddFile("in/new\nline.png", "\x89PNG");
         fake.SetStandardInput(std::string("in/new\nline.png\0in/c.txt\0", 25));
       },
       0,
       "in/new\\x0Aline.png: PNG image [png.mavo.xml, 26 bits]\n"
       "in/c.txt: unknown\n",
       ""},
      {"-0 without a list",
       {"--defs", "lib", "-0", "in/*"},
       {},
       2,
       "",
       "mavocheck: error: -0 goes with --files-from (see mavocheck identify "
       "--help)\n"},
      {"a report that cannot be written",
       {"--defs", "lib", "in/*"},
       [](FakePlatform& fake) {
         fake.FailCall(FakeCall::kReport, 1);
         fake.SetFailureReason("No space left on device");
       },
       2,
       "",
       "mavocheck: error: cannot write the report (No space left on "
       "device)\n"},
  };
  for (const auto& row : rows) {
    const IdentifyRun run = Identify(row.arguments, row.setup);
    EXPECT_EQ(run.exit_code, row.exit_code) << row.name << "\n" << run.errors;
    EXPECT_EQ(run.output, row.output) << row.name;
    EXPECT_TRUE(run.errors.starts_with(row.errors))
        << row.name << ": " << run.errors;
  }
}

// Two definitions that a file matches equally are both named, as a tie;
// --all also names the weaker ones.
TEST(IdentifyCommand, TiesAndAll) {
  auto setup = [](FakePlatform& fake) {
    fake.AddFile("lib/png2.mavo.xml", kPng);
    fake.AddFile("lib/p.mavo.xml",
                 "<Mavo><Info><FileType>P</FileType></Info><FrontBlock>"
                 "<Pattern><Bytes>89</Bytes><Pos>0</Pos></Pattern>"
                 "</FrontBlock></Mavo>");
  };
  EXPECT_EQ(Identify({"--defs", "lib", "in/a.png"}, setup).output,
            "in/a.png: PNG image [png.mavo.xml, 26 bits]; PNG image "
            "[png2.mavo.xml, 26 bits] (tie)\n");
  EXPECT_EQ(Identify({"--defs", "lib", "--all", "in/a.png"}, setup).output,
            "in/a.png: PNG image [png.mavo.xml, 26 bits]; PNG image "
            "[png2.mavo.xml, 26 bits]; P [p.mavo.xml, 8 bits, weak] (tie)\n");
}

// JSON lines come in input order with every member, whatever the number
// of threads, and each line is written before the list has been read to
// its end.
TEST(IdentifyCommand, JsonLinesInOrderOnAnyThreads) {
  std::string list;
  for (int i = 0; i < 200; ++i) {
    list += (i % 3 == 0 ? "in/a.png\n" : i % 3 == 1 ? "in/b.mvx\n" : "gone\n");
  }
  std::string first_output;
  for (const char* threads : {"1", "2", "5"}) {
    const IdentifyRun run = Identify(
        {"--defs", "lib", "--json", "--files-from", "-", "--threads", threads},
        [&](FakePlatform& fake) {
          fake.SetStandardInput(list);
          fake.SetStreamPiece(64);
        });
    EXPECT_EQ(run.exit_code, 1) << threads;
    const std::vector<JsonValue> lines = JsonLines(run.output);
    ASSERT_EQ(lines.size(), 200u) << threads;
    for (size_t i = 0; i < lines.size(); ++i) {
      const JsonValue& line = lines[i];
      EXPECT_EQ(line["format"].text, "mavocheck-identify/1");
      const char* path = i % 3 == 0   ? "in/a.png"
                         : i % 3 == 1 ? "in/b.mvx"
                                      : "gone";
      ASSERT_EQ(line["path"].text, path) << threads << " line " << i;
      if (i % 3 == 2) {
        EXPECT_EQ(line["status"].text, "error");
        EXPECT_EQ(line["size"].kind, JsonValue::Kind::kNull);
        EXPECT_TRUE(line["matches"].items.empty());
        continue;
      }
      EXPECT_EQ(line["status"].text, "ok");
      ASSERT_EQ(line["matches"].items.size(), 1u);
      const JsonValue& match = line["matches"].items[0];
      EXPECT_EQ(match["definition"].text,
                i % 3 == 0 ? "png.mavo.xml" : "mvx.mavo.xml");
      EXPECT_EQ(match["ext"].text, i % 3 == 0 ? "PNG" : "MVX");
      EXPECT_EQ(match["weak"].kind, JsonValue::Kind::kBool);
      EXPECT_EQ(match["basis"]["patterns"].number, 1);
      EXPECT_EQ(match["basis"]["strings"].number, i % 3 == 0 ? 0 : 1);
      EXPECT_EQ(match["bits"].number, match["basis"]["pattern_bits"].number +
                                          match["basis"]["string_bits"].number);
    }
    if (first_output.empty()) first_output = run.output;
    EXPECT_EQ(run.output, first_output) << threads;
  }
}

TEST(IdentifyCommand, AnswersBeforeTheListEnds) {
  FakePlatform fake;
  fake.AddFile("lib/png.mavo.xml", kPng);
  fake.AddFile("a.png", "\x89PNG");
  std::string list;
  for (int i = 0; i < 1000; ++i) list += "a.png\n";
  fake.SetStandardInput(list);
  fake.SetStreamPiece(100);
  fake.SetArguments(
      {"identify", "--defs", "lib", "--files-from", "-", "--threads", "2"});
  EXPECT_EQ(RunCheck(fake), 0);
  const std::vector<size_t> at = fake.output_at_stream_reads();
  ASSERT_GT(at.size(), 2u);
  // Reports were written while the list was still being read.
  EXPECT_GT(at[at.size() - 2], 0u);
}

}  // namespace
}  // namespace mavoscan
