#include "strings/string_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "strings/string_test_util.h"
#include "support/string_oracle.h"

namespace mavoscan {
namespace {

using Strings = std::vector<std::string>;

std::string Bytes(const char* text, size_t size) {
  return std::string(text, size);
}

class StringAnalysisTest : public ::testing::TestWithParam<Implementation> {
 protected:
  AnalysisRun Run(bool rescan, const Strings& inherited, const Strings& paths) {
    return RunAnalysis(fake_, GetParam().analyse, rescan, inherited,
                       SamplesOf(fake_, paths));
  }
  FakePlatform fake_;
};

TEST_P(StringAnalysisTest, FreshScanTranscript) {
  fake_.AddFile("a.bin", "abc def|GHIJ");
  AnalysisRun run = Run(true, {}, {"a.bin"});
  ASSERT_TRUE(run.ok) << run.err;
  EXPECT_EQ(run.strings, (Strings{"ABC DEF", "GHIJ"}));
  EXPECT_EQ(run.output,
            "Scanning for raw strings...\r\n"
            "Raw string(s) found: 2\r\n"
            "Pre-filtering strings...\r\n"
            "Phase 1... 100%\r\n"
            "Phase 2... 100%\r\n"
            "Erasing substrings... 100%\r\n"
            "String(s) found: 2\r\n");
}

TEST_P(StringAnalysisTest, TerminalShowsPercentagesAndHidesTheCursor) {
  fake_.SetTerminal(true);
  // 31 candidates: one tick in each phase (visits 23 and 46), none in the
  // erasure (every 33rd candidate).
  fake_.AddFile("a.bin", "ABCDEFGHIJKLMN ABCD");
  fake_.AddFile("b.bin", "ABCDEFGHIJKLMN ABCD#");
  AnalysisRun run = Run(true, {}, {"a.bin", "b.bin"});
  ASSERT_TRUE(run.ok) << run.err;
  EXPECT_EQ(run.strings, (Strings{"ABCDEFGHIJKLMN ABCD"}));
  EXPECT_EQ(run.screen,
            "Scanning for raw strings...\r\n"
            "Raw string(s) found: 1\r\n"
            "Pre-filtering strings...\r\n"
            "{hide}Phase 1...{col 10} 74%{col 10} 100%\r\n"
            "Phase 2...{col 10} 48%{col 10} 100%\r\n"
            "Erasing substrings...{col 21} 100%\r\n"
            "{show}String(s) found: 1\r\n");
}

TEST_P(StringAnalysisTest, FirstSampleCutsTheRawStrings) {
  struct Row {
    const char* name;
    std::string text;
    const char* count_line;
    Strings strings;
  };
  const Row rows[] = {
      {"one space, one delimiter",
       "abc def|GHIJ",
       "Raw string(s) found: 2",
       {"ABC DEF", "GHIJ"}},
      {"adjacent delimiters enclose an empty field",
       "ab!!cd",
       "Raw string(s) found: 3",
       {}},
      {"no delimiter at all",
       std::string(9, '\0'),
       "Raw string(s) found: 1",
       {}},
      {"UTF-16 keeps its NUL bytes",
       Bytes("|H\0e\0l\0l\0o\0|", 12),
       "Raw string(s) found: 3",
       {Bytes("H\0E\0L\0L\0O", 9)}},
      {"lower case and code page letters are upper-cased",
       "Tag tag \x84\x94x\xff",
       "Raw string(s) found: 4",
       {"TAG TAG"}},
      {"the apostrophe is a delimiter",
       "it's done'",
       "Raw string(s) found: 3",
       {"S DONE"}},
      {"empty sample", "", "Raw string(s) found: 1", {}},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.AddFile("s.bin", row.text);
    AnalysisRun run = RunAnalysis(fake, GetParam().analyse, true, {},
                                  SamplesOf(fake, {"s.bin"}));
    ASSERT_TRUE(run.ok) << row.name;
    EXPECT_NE(run.output.find(std::string(row.count_line) + "\r\n"),
              std::string::npos)
        << row.name << ": " << run.output;
    EXPECT_EQ(run.strings, row.strings) << row.name;
  }
}

TEST_P(StringAnalysisTest, SmallestSampleComesFirstAndEqualSizesKeepOrder) {
  fake_.AddFile("x.bin", std::string(300, '#') + "COMMON");
  fake_.AddFile("y.bin", std::string(194, '#') + "COMMON");
  fake_.AddFile("z.bin", std::string(194, '.') + "COMMON");
  AnalysisRun run = Run(true, {}, {"x.bin", "z.bin", "y.bin"});
  ASSERT_TRUE(run.ok) << run.err;
  ASSERT_EQ(run.samples.size(), 3u);
  EXPECT_EQ(run.samples[0].path, "z.bin");
  EXPECT_EQ(run.samples[1].path, "y.bin");
  EXPECT_EQ(run.samples[2].path, "x.bin");
  // Cut from z.bin: one field, as z.bin has no delimiter.
  EXPECT_NE(run.output.find("Raw string(s) found: 1\r\n"), std::string::npos);
  EXPECT_EQ(run.strings, (Strings{"COMMON"}));
}

TEST_P(StringAnalysisTest, LargeSampleIsReadAsHeadAndTail) {
  // 10,485,761 bytes: the byte at 5,242,880 is left out and "|" takes its
  // place, so the two words around it stay apart. NUL padding trims away.
  std::string data(10485761, '\0');
  data.replace(5242880 - 8, 8, "leftabcd");
  data[5242880] = 'Q';
  data.replace(5242881, 8, "RIGHTXYZ");
  fake_.AddFile("big.bin", data);
  AnalysisRun run = Run(true, {}, {"big.bin"});
  ASSERT_TRUE(run.ok) << run.err;
  EXPECT_EQ(run.strings, (Strings{"LEFTABCD", "RIGHTXYZ"}));
  EXPECT_NE(run.output.find("Raw string(s) found: 2\r\n"), std::string::npos);
}

TEST_P(StringAnalysisTest, UnreadableSamplesEndTheRun) {
  struct Row {
    const char* name;
    bool rescan;
    const char* broken;
    bool deleted;  // else unreadable
    const char* output;
    const char* err;
  };
  const Row rows[] = {
      {"first sample deleted before the raw strings", true, "a.bin", true,
       "Scanning for raw strings...\r\n",
       "* Error: Unable to find file <a.bin>"},
      {"first sample unreadable", true, "a.bin", false,
       "Scanning for raw strings...\r\n",
       "* Error: Unable to open file <a.bin>"},
      {"second sample deleted", true, "b.bin", true,
       "Scanning for raw strings...\r\nRaw string(s) found: 2\r\n"
       "Pre-filtering strings...\r\nPhase 1... 100%\r\nPhase 2...",
       "* Error: Unable to find file <b.bin>"},
      {"last sample unreadable after every candidate is gone", true, "c.bin",
       false,
       "Scanning for raw strings...\r\nRaw string(s) found: 2\r\n"
       "Pre-filtering strings...\r\nPhase 1... 100%\r\nPhase 2... 26%",
       "* Error: Unable to open file <c.bin>"},
      {"inherited strings: first sample deleted in Phase 1", false, "a.bin",
       true, "Pre-filtering strings...\r\nPhase 1...",
       "* Error: Unable to find file <a.bin>"},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.SetTerminal(true);
    fake.AddFile("a.bin", "SAMPLE TEXT|AB");
    fake.AddFile("b.bin", "nothing in common!!");
    fake.AddFile("c.bin", "also nothing in common at all");
    if (row.deleted) {
      fake.RemoveFile(row.broken);
    } else {
      fake.MakeUnreadable(row.broken);
    }
    SampleSet samples = {{"a.bin", 14}, {"b.bin", 19}, {"c.bin", 29}};
    AnalysisRun run =
        RunAnalysis(fake, GetParam().analyse, row.rescan, {"SAMPLE"}, samples);
    EXPECT_FALSE(run.ok) << row.name;
    EXPECT_EQ(run.err, row.err) << row.name;
    EXPECT_EQ(run.output, row.output) << row.name;
    EXPECT_TRUE(run.strings.empty()) << row.name;
    bool hid = run.screen.find("{hide}") != std::string::npos;
    EXPECT_TRUE(!hid || run.screen.ends_with("{show}")) << row.name;
  }
}

TEST_P(StringAnalysisTest, NoCandidatesSkipTheErasureLine) {
  fake_.AddFile("a.bin", "ab!cd");
  fake_.AddFile("b.bin", "xyzxyz");
  AnalysisRun run = Run(true, {}, {"a.bin", "b.bin"});
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.output,
            "Scanning for raw strings...\r\nRaw string(s) found: 2\r\n"
            "Pre-filtering strings...\r\nPhase 1... 100%\r\n"
            "Phase 2... 100%\r\nString(s) found: 0\r\n");
  EXPECT_EQ(fake_.open_count("b.bin"), 1);  // still read, in its turn
}

TEST_P(StringAnalysisTest, InheritedStringsAreTestedAgainstEverySample) {
  fake_.SetTerminal(true);
  fake_.AddFile("a.bin", "the OLD STRING and more");
  AnalysisRun run =
      Run(false, {"OLD STRING", "GONE", std::string("IT\0S", 4), "old string"},
          {"a.bin"});
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.strings, (Strings{"OLD STRING"}));
  EXPECT_EQ(run.screen,
            "Pre-filtering strings...\r\n"
            "{hide}Phase 1...{col 10} 88%{col 10} 100%\r\n"
            "Phase 2...{col 10} 100%\r\n"
            "Erasing substrings...{col 21} 100%\r\n"
            "{show}String(s) found: 1\r\n");
}

TEST_P(StringAnalysisTest, EscapeAbortsEachPassAndShowsTheCursor) {
  // Enough candidates for progress updates in every pass.
  const std::string text = "ALPHA BRAVO CHARLIE DELTA ECHO FOXTROT GOLF";
  auto setup = [&](FakePlatform* fake) {
    fake->SetTerminal(true);
    fake->AddFile("a.bin", text);
    fake->AddFile("b.bin", text + "|");
    fake->AddFile("c.bin", "|" + text + "|");
  };
  FakePlatform clean;
  setup(&clean);
  AnalysisRun full = RunAnalysis(clean, GetParam().analyse, true, {},
                                 SamplesOf(clean, {"a.bin", "b.bin", "c.bin"}));
  ASSERT_TRUE(full.ok);
  ASSERT_GT(full.polls, 2);
  bool aborted_in[3] = {false, false, false};
  const char* titles[3] = {"Phase 1...", "Phase 2...", "Erasing substrings..."};
  for (int after = 0; after < full.polls; ++after) {
    FakePlatform other_key;
    setup(&other_key);
    other_key.QueueKey('x', after);  // other keys are taken and ignored
    AnalysisRun unaffected =
        RunAnalysis(other_key, GetParam().analyse, true, {},
                    SamplesOf(other_key, {"a.bin", "b.bin", "c.bin"}));
    EXPECT_TRUE(unaffected.ok);
    EXPECT_EQ(unaffected.screen, full.screen);

    FakePlatform fake;
    setup(&fake);
    fake.QueueKey(kEscapeKey, after);
    AnalysisRun run = RunAnalysis(fake, GetParam().analyse, true, {},
                                  SamplesOf(fake, {"a.bin", "b.bin", "c.bin"}));
    ASSERT_FALSE(run.ok) << "after " << after;
    EXPECT_EQ(run.err, "Aborted...") << "after " << after;
    EXPECT_TRUE(run.strings.empty());
    EXPECT_TRUE(run.screen.ends_with("{show}")) << run.screen;
    size_t line_start = run.output.rfind("\r\n");
    ASSERT_NE(line_start, std::string::npos);
    std::string last_line = run.output.substr(line_start + 2);
    for (int pass = 0; pass < 3; ++pass) {
      if (last_line.starts_with(titles[pass])) aborted_in[pass] = true;
    }
    EXPECT_TRUE(full.output.starts_with(run.output.substr(0, line_start)))
        << "after " << after;
  }
  EXPECT_TRUE(aborted_in[0] && aborted_in[1] && aborted_in[2])
      << aborted_in[0] << aborted_in[1] << aborted_in[2];
}

TEST_P(StringAnalysisTest, SampleMissingFromOneSampleIsBlankedInTheLastPass) {
  fake_.AddFile("a.bin", "KEEP THIS|DROP THAT");
  fake_.AddFile("b.bin", "xx KEEP THIS|DROP THAT xx");
  fake_.AddFile("c.bin", "xxx KEEP THIS|DROP xxxx THAT xxx");
  AnalysisRun run = Run(true, {}, {"a.bin", "b.bin", "c.bin"});
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(run.strings, (Strings{"KEEP THIS", "DROP", "THAT"}));
}

INSTANTIATE_TEST_SUITE_P(
    Implementations, StringAnalysisTest,
    ::testing::Values(Implementation{"Fast", &AnalyseStrings},
                      Implementation{"Oracle", &OracleAnalyseStrings}),
    [](const ::testing::TestParamInfo<Implementation>& param_info) {
      return std::string(param_info.param.name);
    });

}  // namespace
}  // namespace mavoscan
