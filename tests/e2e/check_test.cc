#include <algorithm>
#include <string>

#include "e2e/e2e_harness.h"
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
            "matches the patterns about 1 in 10^29 (estimate)\n"
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
  EXPECT_EQ(run.out,
            "{\"definition\":\"newtype.mavo.xml\",\"file_type\":\"Enter a "
            "useful file type description\",\"patterns\":[{\"offset\":0,"
            "\"bytes\":\"4D565831\"},{\"offset\":5,\"bytes\":"
            "\"5348415245442054455854FF\"},{\"offset\":22,\"bytes\":\"FF\"}],"
            "\"check_strings\":true,\"strings\":[\"SHARED TEXT\",\"MVX1\"],"
            "\"files\":[],\"matched\":0,\"not_files\":[{\"path\":"
            "\"new/good.bin\",\"match\":true,\"failed_patterns\":[],"
            "\"missing_strings\":[]}],\"not_matched\":0,\"strength\":{"
            "\"pattern_bytes\":17,\"informative_bytes\":15,\"chance_bits\":"
            "98.0,\"chance\":\"about 1 in 10^29\"},\"warnings\":[{\"kind\":"
            "\"strings-repeat-patterns\",\"text\":\"2 global strings only "
            "repeat pattern bytes (string 1 in pattern 2, string 2 in pattern "
            "1): they add nothing to the patterns\",\"items\":[1,2]},{"
            "\"kind\":\"false-matches\",\"text\":\"1 of 1 files that must "
            "not match do (100.0%)\",\"items\":[]}],\"passed\":false}\n");

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

  run = Check(dir, {"--cross-check", "mixed/*", "--json", "--no-strings"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.starts_with("{\"samples\":10,\"folds\":5,")) << run.out;
  EXPECT_TRUE(run.out.ends_with(",\"passed\":false}\n")) << run.out;
  EXPECT_NE(run.out.find("{\"kind\":\"pattern\",\"offset\":0,\"bytes\":"
                         "\"5249465831464D5420\",\"files\":1,\"folds\":1}"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"check_strings\":false"), std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1);
}

}  // namespace
}  // namespace mavoscan::e2e
