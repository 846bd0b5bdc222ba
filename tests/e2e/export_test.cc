#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "fakes/json_reader.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

RunResult Check(const TempDir& dir, const std::vector<std::string>& args) {
  RunSettings settings;
  settings.program = Program::kChecker;
  return dir.Run(args, settings);
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// A definition the scanner builds from three samples (two patterns, two
// strings), exported in each way a user asks for it.
TEST(ExportRun, WritesEachFormatAndSaysWhatItLoses) {
  TempDir dir;
  for (int i = 0; i < 3; ++i) {
    dir.Write("train/" + std::to_string(i) + ".mvx", FamilySample(i));
  }
  ASSERT_EQ(dir.Run({"train/*"}).exit_code, 0);
  const std::string loss =
      "mavocheck: loss: the magic export checks less than the definition: "
      "strings 1, 2 looked for in the first 5242880 bytes of a file only";

  struct Row {
    std::string name;
    std::vector<std::string> args;
    int exit_code;
    std::string out_start;  // what standard output begins with
    std::string err_start;  // what standard error begins with
  };
  const std::vector<Row> rows = {
      {"yara on standard output",
       {"export", "newtype.mavo.xml", "--format", "yara"},
       0,
       "rule Enter_a_useful_file_type_description\n{\n",
       ""},
      {"magic with its loss",
       {"export", "newtype.mavo.xml", "--format=magic"},
       0,
       "# Enter a useful file type description: exported from a MavoScan "
       "definition of 3 files\n",
       loss},
      {"strict refuses a lossy export",
       {"export", "newtype.mavo.xml", "--format", "magic", "--strict", "--out",
        "refused.magic"},
       2,
       "",
       loss},
      {"strict takes a lossless one",
       {"export", "newtype.mavo.xml", "--format", "yara", "--strict", "--out",
        "rule.yar"},
       0,
       "",
       ""},
      {"json with the losses",
       {"export", "newtype.mavo.xml", "--format", "droid", "--json"},
       0,
       "{\"format\":\"mavocheck-export/1\",\"definition\":\"newtype.mavo.xml\","
       "\"export_format\":\"droid\",\"label\":\"Enter a useful file type "
       "description\",\"out\":null,\"losses\":[{\"kind\":\"read-window\","
       "\"strings\":[1,2],\"read_window\":65536,",
       "mavocheck: loss: the droid export"},
      {"a MIME type of the user's",
       {"export", "newtype.mavo.xml", "--format", "mime", "--mime-type",
        "application/vnd.mvx"},
       0,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<mime-info "
       "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
       "  <mime-type type=\"application/vnd.mvx\">\n",
       "mavocheck: loss: the mime export"},
      {"no format",
       {"export", "newtype.mavo.xml"},
       2,
       "",
       "mavocheck: error: no --format given (magic, yara, mime or droid) (see "
       "mavocheck export --help)\n"},
      {"an unknown format",
       {"export", "newtype.mavo.xml", "--format", "png"},
       2,
       "",
       "mavocheck: error: --format takes magic, yara, mime or droid, not "
       "\"png\""},
      {"a MIME type for YARA",
       {"export", "newtype.mavo.xml", "--format", "yara", "--mime-type", "a/b"},
       2,
       "",
       "mavocheck: error: --mime-type goes with --format mime only"},
      {"a rule name YARA cannot take",
       {"export", "newtype.mavo.xml", "--format", "yara", "--name", "2 words"},
       2,
       "",
       "mavocheck: error: newtype.mavo.xml: \"2 words\" is not a YARA rule "
       "name"},
      {"an output in a missing folder",
       {"export", "newtype.mavo.xml", "--format", "yara", "--out",
        "missing/rule.yar"},
       2,
       "",
       "mavocheck: error: cannot write missing/rule.yar ("},
      {"an output over the definition",
       {"export", "newtype.mavo.xml", "--format", "yara", "--out",
        "newtype.mavo.xml"},
       2,
       "",
       "mavocheck: error: --out names the definition itself"},
      {"a missing definition",
       {"export", "absent.xml", "--format", "yara"},
       2,
       "",
       "mavocheck: error: "},
  };
  for (const Row& row : rows) {
    const RunResult run = Check(dir, row.args);
    EXPECT_EQ(run.exit_code, row.exit_code) << row.name << "\n" << run.err;
    EXPECT_TRUE(StartsWith(run.out, row.out_start)) << row.name << "\n"
                                                    << run.out;
    if (row.out_start.empty()) {
      EXPECT_EQ(run.out, "") << row.name;
    }
    EXPECT_TRUE(StartsWith(run.err, row.err_start)) << row.name << "\n"
                                                    << run.err;
    if (row.err_start.empty()) {
      EXPECT_EQ(run.err, "") << row.name;
    }
  }
  // The JSON report, as a script's parser reads it, holds the export as the
  // plain run writes it and the loss the plain run said.
  const RunResult json =
      Check(dir, {"export", "newtype.mavo.xml", "--format", "magic", "--json"});
  JsonValue report;
  ASSERT_TRUE(JsonReader::Parse(json.out, &report)) << json.out;
  EXPECT_EQ(
      report["text"].text,
      Check(dir, {"export", "newtype.mavo.xml", "--format", "magic"}).out);
  ASSERT_EQ(report["losses"].items.size(), 1u) << json.out;
  EXPECT_EQ(report["losses"].items[0]["kind"].text, "read-window");
  EXPECT_EQ(report["losses"].items[0]["read_window"].number, 5242880);
  EXPECT_FALSE(report["lossless"].boolean);
  EXPECT_EQ(report["label"].text, "Enter a useful file type description");

  EXPECT_FALSE(dir.Exists("refused.magic"));
  EXPECT_EQ(dir.Read("rule.yar"),
            Check(dir, {"export", "newtype.mavo.xml", "--format", "yara"}).out);
  // Nothing but the files the runs were asked for.
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"newtype.mavo.xml",
                                                  "rule.yar", "train"}));
}

}  // namespace
}  // namespace mavoscan::e2e
