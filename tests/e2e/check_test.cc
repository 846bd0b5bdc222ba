#include <algorithm>
#include <string>

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

// A definition the scanner builds from three samples, checked on a new
// sample of the type, a broken one and a decoy of another type.
TEST(CheckRun, VerifiesWhatTheScannerWrote) {
  TempDir dir;
  for (int i = 0; i < 3; ++i) {
    dir.Write("train/" + std::to_string(i) + ".bin", FamilySample(i));
  }
  ASSERT_EQ(dir.Run({"train/*"}).exit_code, 0);
  std::string broken = FamilySample(4);
  broken[0] = 'N';
  dir.Write("new/good.bin", FamilySample(3));
  dir.Write("new/broken.bin", broken);
  dir.Write("other/decoy.bin", FamilySample(5, "OTHER TEXT!"));

  RunResult run = Check(dir, {"newtype.mavo.xml", "new/*", "--not", "other/*"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Definition newtype.mavo.xml: 3 patterns, 2 global strings "
            "(checked)\n"
            "\n"
            "new/broken.bin: no match\n"
            "  pattern 1 at offset 0: expected 4D565831, found 4E565831\n"
            "  string 2 missing: \"MVX1\"\n"
            "new/good.bin: match\n"
            "1 of 2 match\n"
            "\n"
            "Files that must not match:\n"
            "other/decoy.bin: no match\n"
            "  pattern 2 at offset 5: expected 5348415245442054455854FF, "
            "found 4F54484552205445585421FF\n"
            "  string 1 missing: \"SHARED TEXT\"\n"
            "1 of 1 do not match\n"
            "\n"
            "Strength: 17 pattern bytes, 15 informative; an unrelated file "
            "matches the patterns about 1 in 10^28 (estimate)\n"
            "Warnings:\n"
            "  2 global strings only repeat pattern bytes (string 1 in "
            "pattern 2, string 2 in pattern 1): they add nothing to the "
            "patterns\n");

  run = Check(dir, {"newtype.mavo.xml", "new/good.bin", "--not", "other/*"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("\n1 of 1 do not match\n"), std::string::npos)
      << run.out;

  // A decoy that matches fails the run; JSON for scripts.
  run = Check(dir, {"newtype.mavo.xml", "--json", "--not", "new/good.bin"});
  EXPECT_EQ(run.exit_code, 1);
  JsonValue report;
  ASSERT_TRUE(JsonReader::Parse(run.out, &report)) << run.out;
  EXPECT_EQ(report["format"].text, "mavocheck-verify/1");
  EXPECT_EQ(report["definition"].text, "newtype.mavo.xml");
  ASSERT_EQ(report["patterns"].items.size(), 3u);
  EXPECT_EQ(report["patterns"].items[1]["offset"].number, 5);
  EXPECT_EQ(report["patterns"].items[1]["bytes"].text,
            "5348415245442054455854FF");
  EXPECT_EQ(report["strings"].items[1]["text"].text, "MVX1");
  ASSERT_EQ(report["not_files"].items.size(), 1u);
  EXPECT_EQ(report["not_files"].items[0]["path"].text, "new/good.bin");
  EXPECT_TRUE(report["not_files"].items[0]["match"].boolean);
  EXPECT_EQ(report["not_matched"].number, 0);
  std::string kinds;
  for (const JsonValue& warning : report["warnings"].items) {
    kinds += warning["kind"].text + " ";
  }
  EXPECT_EQ(kinds, "strings-repeat-patterns false-matches ");
  EXPECT_FALSE(report["passed"].boolean);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);

  run = Check(dir, {"newtype.mavo.xml", "none/*"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "mavocheck: error: no file matches none/*\n");
}

// A header "RIFX", a version byte, "FMT " and a byte of each sample's own,
// then a shared text, a word of its own and a shared ending.
std::string HeaderSample(int index, char version) {
  return std::string("RIFX") + version + "FMT " +
         static_cast<char>(0x80 + index) + "|BODY TEXT|" +
         static_cast<char>('A' + index) + "WORD|";
}

TEST(CrossCheckRun, FindsThePatternUnseenFilesBreak) {
  TempDir dir;
  for (int i = 0; i < 10; ++i) {
    dir.Write("clean/" + std::to_string(i) + ".bin", HeaderSample(i, '1'));
    dir.Write("mixed/" + std::to_string(i) + ".bin",
              HeaderSample(i, i == 3 ? '2' : '1'));
  }

  RunResult run = Check(dir, {"--cross-check", "clean/*"});
  EXPECT_EQ(run.exit_code, 0) << run.out;
  EXPECT_NE(run.out.find("Unseen files expected to match: 100.0% (10 of 10)"),
            std::string::npos)
      << run.out;

  // Only one sample has version 2: the definition built without it cannot
  // know that the version varies.
  run = Check(dir, {"--cross-check", "mixed/*", "--seed", "4"});
  EXPECT_EQ(run.exit_code, 1) << run.out;
  EXPECT_TRUE(run.out.starts_with(
      "Cross-check of 10 samples in 5 folds (seed 4), with global strings\n"))
      << run.out;
  EXPECT_NE(run.out.find("  pattern at offset 0 (5249465831464D5420): failed "
                         "on 1 unseen file, in 1 of 5 folds\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nLearning curve"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Scanning"), std::string::npos)
      << "the scanner's lines showed:\n"
      << run.out;

  run = Check(dir, {"cross-check", "mixed/*", "--json", "--no-strings"});
  EXPECT_EQ(run.exit_code, 1);
  JsonValue report;
  ASSERT_TRUE(JsonReader::Parse(run.out, &report)) << run.out;
  EXPECT_EQ(report["format"].text, "mavocheck-cross-check/1");
  EXPECT_EQ(report["sample_count"].number, 10);
  EXPECT_EQ(report["folds"].number, 5);
  EXPECT_FALSE(report["check_strings"].boolean);
  EXPECT_FALSE(report["passed"].boolean);
  bool found = false;
  for (const JsonValue& part : report["failing"].items) {
    found =
        found ||
        (part["part"].text == "pattern" && part["offset"].number == 0 &&
         part["bytes"].text == "5249465831464D5420" &&
         part["failed_files"].number == 1 && part["failed_folds"].number == 1);
  }
  EXPECT_TRUE(found) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Every way a run can fail ends with one line on standard error and exit
// code 2; nothing on standard output looks like a finished report.
TEST(CheckRun, FailuresEndWithOneErrorLine) {
  if (WindowsTool()) GTEST_SKIP() << "needs POSIX devices and limits";
  TempDir dir;
  for (int i = 0; i < 3; ++i) {
    dir.Write("train/" + std::to_string(i) + ".bin", FamilySample(i));
  }
  ASSERT_EQ(dir.Run({"train/*"}).exit_code, 0);
  // A definition far larger than the memory the run may use.
  dir.WriteSparse("huge.mavo.xml", int64_t{1} << 30, {{0, "<Mavo>"}});
  dir.Write("locked.mavo.xml", dir.Read("newtype.mavo.xml"));
  dir.Chmod("locked.mavo.xml", 0);

  const struct {
    const char* name;
    std::vector<std::string> arguments;
    StandardOutput output;
    size_t address_space_limit;
    bool drop_root;
    std::string error;
  } rows[] = {
      {"report to a full device",
       {"newtype.mavo.xml", "train/*"},
       StandardOutput::kFull,
       0,
       false,
       "mavocheck: error: cannot write the report (No space left on "
       "device)\n"},
      {"JSON to a full device",
       {"verify", "newtype.mavo.xml", "train/*", "--json"},
       StandardOutput::kFull,
       0,
       false,
       "mavocheck: error: cannot write the report (No space left on "
       "device)\n"},
      {"standard output closed",
       {"newtype.mavo.xml", "train/*"},
       StandardOutput::kClosed,
       0,
       false,
       "mavocheck: error: cannot write the report (Bad file descriptor)\n"},
      {"help to a full device",
       {"--help"},
       StandardOutput::kFull,
       0,
       false,
       "mavocheck: error: cannot write the report (No space left on "
       "device)\n"},
      {"memory limit",
       {"huge.mavo.xml", "train/*"},
       StandardOutput::kCaptured,
       size_t{256} << 20,
       false,
       "mavocheck: error: out of memory\n"},
      {"unreadable definition",
       {"locked.mavo.xml", "train/*"},
       StandardOutput::kCaptured,
       0,
       true,
       "mavocheck: error: cannot read the definition locked.mavo.xml "
       "(Permission denied)\n"},
      {"missing definition",
       {"gone.mavo.xml", "train/*"},
       StandardOutput::kCaptured,
       0,
       false,
       "mavocheck: error: cannot read the definition gone.mavo.xml (No such "
       "file or directory)\n"},
  };
  for (const auto& row : rows) {
    if (row.address_space_limit > 0 && kSanitized) continue;
    RunSettings settings;
    settings.program = Program::kChecker;
    settings.output = row.output;
    settings.address_space_limit = row.address_space_limit;
    settings.drop_root = row.drop_root;
    const RunResult run = dir.Run(row.arguments, settings);
    // The user "nobody" may not reach the tool where the build lies in a
    // private directory.
    if (row.drop_root && run.exit_code == 125) continue;
    EXPECT_EQ(run.exit_code, 2) << row.name << "\n" << run.err;
    EXPECT_EQ(run.err, row.error) << row.name;
    EXPECT_EQ(run.out, "") << row.name;
  }
}

// Arguments reach the checker as the shell or xargs -0 handed them over.
TEST(CheckRun, NamesAsGiven) {
  if (WindowsTool()) GTEST_SKIP() << "the names hold bytes Windows refuses";
  TempDir dir;
  for (int i = 0; i < 3; ++i) {
    dir.Write("train/" + std::to_string(i) + ".bin", FamilySample(i));
  }
  ASSERT_EQ(dir.Run({"train/*"}).exit_code, 0);
  dir.Write("d/a\" b.mvx", FamilySample(7));
  dir.Write("d/\"", FamilySample(8));
  dir.Write("d/line\nbreak.mvx", FamilySample(9));

  RunResult run = Check(
      dir, {"newtype.mavo.xml", "d/a\" b.mvx", "d/\"", "d/line\nbreak.mvx"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("\nd/a\" b.mvx: match\nd/\": match\n"
                         "d/line\\x0Abreak.mvx: match\n3 of 3 match\n"),
            std::string::npos)
      << run.out;

  run = Check(dir, {"newtype.mavo.xml", "d/a\" b.mvx", ""});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err,
            "mavocheck: error: an argument is empty (see mavocheck --help)\n");
}

}  // namespace
}  // namespace mavoscan::e2e
