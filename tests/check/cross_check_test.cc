#include "check/cross_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "check/check_commands.h"
#include "check/definition_builder.h"
#include "check/fold_plan.h"
#include "check/run_check.h"
#include "driver/run_tool.h"
#include "fakes/fake_platform.h"
#include "output/definition_writer.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {
namespace {

TEST(FoldPlan, CoversEverySampleOnceInNearEqualFolds) {
  const struct {
    const char* name;
    size_t samples;
    int folds;
    uint64_t seed;
    size_t expected_folds;
    bool leave_one_out;
  } rows[] = {
      {"even split", 10, 5, 1, 5, false},
      {"uneven split", 11, 5, 7, 5, false},
      {"just enough", 3, 3, 1, 3, false},
      {"fewer samples than folds", 4, 5, 1, 4, true},
      {"minimum", 3, 100, 9, 3, true},
      {"large", 1000, 7, 0xFFFFFFFFFFFFFFFFULL, 7, false},
  };
  for (const auto& row : rows) {
    FoldPlan plan;
    std::string err;
    ASSERT_TRUE(PlanFolds(row.samples, row.folds, row.seed, &plan, &err))
        << row.name << ": " << err;
    EXPECT_EQ(plan.leave_one_out, row.leave_one_out) << row.name;
    ASSERT_EQ(plan.folds.size(), row.expected_folds) << row.name;
    std::vector<size_t> seen;
    size_t smallest = row.samples;
    size_t largest = 0;
    for (const std::vector<size_t>& fold : plan.folds) {
      seen.insert(seen.end(), fold.begin(), fold.end());
      smallest = std::min(smallest, fold.size());
      largest = std::max(largest, fold.size());
    }
    std::sort(seen.begin(), seen.end());
    std::vector<size_t> every(row.samples);
    std::iota(every.begin(), every.end(), 0);
    EXPECT_EQ(seen, every) << row.name << ": not every sample exactly once";
    EXPECT_LE(largest - smallest, 1u) << row.name;

    FoldPlan again;
    ASSERT_TRUE(PlanFolds(row.samples, row.folds, row.seed, &again, &err));
    EXPECT_EQ(again.folds, plan.folds) << row.name << ": not deterministic";
    FoldPlan other;
    ASSERT_TRUE(PlanFolds(row.samples, row.folds, row.seed + 1, &other, &err));
    if (row.samples >= 10) {
      EXPECT_NE(other.order, plan.order) << row.name << ": seed ignored";
    }
  }
}

// A seed names one split on every system and standard library; this pins
// the generator and the shuffle loop.
TEST(FoldPlan, SeedGivesTheSameSplitEverywhere) {
  FoldPlan plan;
  std::string err;
  ASSERT_TRUE(PlanFolds(8, 3, 1, &plan, &err));
  EXPECT_EQ(plan.order, (std::vector<size_t>{4, 3, 2, 7, 5, 6, 0, 1}));
}

TEST(FoldPlan, TrainingSetsLeaveTheirFoldOutAndCapInShuffledOrder) {
  FoldPlan plan;
  std::string err;
  ASSERT_TRUE(PlanFolds(20, 4, 3, &plan, &err));
  for (size_t f = 0; f < plan.folds.size(); ++f) {
    const std::vector<size_t> order = TrainingOrder(plan, f);
    EXPECT_EQ(order.size(), 15u) << "fold " << f;
    for (size_t index : plan.folds[f]) {
      EXPECT_EQ(std::count(order.begin(), order.end(), index), 0)
          << "fold " << f << " trains on its own sample " << index;
    }
    // A cap keeps the first samples of the shuffled order, not the first
    // names, and hands them on in collection order.
    const std::vector<size_t> capped = FirstInCollectionOrder(order, 6);
    std::vector<size_t> expected(order.begin(), order.begin() + 6);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(capped, expected) << "fold " << f;
  }
}

TEST(FoldPlan, CurveSizesAndReading) {
  EXPECT_EQ(CurveSizes(2), std::vector<size_t>{});
  EXPECT_EQ(CurveSizes(21), (std::vector<size_t>{2, 5, 10, 20}));
  EXPECT_EQ(CurveSizes(5000).back(), 2000u);
  const struct {
    const char* name;
    std::vector<CurvePoint> points;
    CurveReading reading;
  } rows[] = {
      {"one point", {{2, true, 1, 20}}, CurveReading::kTooShort},
      {"gained exactly 5 points",
       {{2, true, 10, 20}, {5, true, 11, 20}},
       CurveReading::kRising},
      {"gained under 5 points",
       {{2, true, 0, 20}, {5, true, 190, 200}, {9, true, 199, 200}},
       CurveReading::kLevelled},
      {"fell", {{2, true, 20, 20}, {5, true, 10, 20}}, CurveReading::kLevelled},
      {"different totals",
       {{2, true, 1, 3}, {5, true, 4, 10}},
       CurveReading::kRising},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ReadCurve(row.points), row.reading) << row.name;
  }
}

// A sample of an invented type: "MVX1", a version byte that varies with
// `version`, "HDR" at 5, then text with a common word, a word with NUL in
// it and one word of its own, which begins with a letter of its own so that
// no pattern runs into it; `length` pads or cuts it.
std::string TypeSample(int index, int version, size_t length = 0) {
  std::string data = std::string("MVX1") + static_cast<char>('0' + version) +
                     "HDR\x01\x02" + "|COMMON WORDS|" +
                     std::string("KEY\0NULL", 8) + "|" +
                     static_cast<char>('A' + index % 26) + "OWN" +
                     std::to_string(1000 + index * 37) + "|";
  data += std::string(static_cast<size_t>(index % 5), '\xFE');
  if (length > 0) data.resize(length, '#');
  return data;
}

// The builder against the scanner itself: the same training files, once
// collected and built in memory, once written by a whole scanner run and
// read back as a definition.
TEST(DefinitionBuilder, BuildsWhatTheScannerWrites) {
  const struct {
    const char* name;
    std::vector<std::string> samples;
    bool no_strings;
  } rows[] = {
      {"strings",
       {TypeSample(0, 1), TypeSample(1, 1), TypeSample(2, 1)},
       false},
      {"no strings", {TypeSample(0, 1), TypeSample(1, 1)}, true},
      {"versions differ",
       {TypeSample(0, 1), TypeSample(1, 2), TypeSample(2, 1)},
       false},
      // The shortest sample limits the compared front block, wherever it
      // comes in the order.
      {"short sample in the middle",
       {TypeSample(0, 1, 3000), TypeSample(1, 1, 6), TypeSample(2, 1, 3000)},
       false},
      {"long samples share the whole front block",
       {TypeSample(0, 1, 5000), TypeSample(5, 1, 5000)},
       false},
      {"nothing shared",
       {std::string("abcd"), std::string("wxyz"), std::string("1234")},
       false},
      {"empty sample", {TypeSample(0, 1), std::string()}, false},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    std::vector<CrossSample> samples;
    for (size_t i = 0; i < row.samples.size(); ++i) {
      const std::string name = "s" + std::to_string(i) + ".bin";
      fake.AddFile("all/" + name, row.samples[i]);
      fake.AddFile("train/" + name, row.samples[i]);
    }
    std::string err;
    ASSERT_TRUE(CollectCrossSamples(fake, {"all/*"}, &samples, &err))
        << row.name << ": " << err;
    std::vector<const CrossSample*> training;
    for (const CrossSample& sample : samples) training.push_back(&sample);
    DefinitionBuilder builder(
        fake, row.no_strings ? StringMode::kNone : StringMode::kRescan);
    BuiltDefinition built;
    ASSERT_TRUE(builder.Build(training, &built, &err))
        << row.name << ": " << err;
    EXPECT_EQ(fake.output(), "") << row.name << ": the scanner showed";

    fake.SetCommandLine(row.no_strings ? "train/* /NS" : "train/*");
    const int exit_code = RunTool(fake);
    if (!built.built) {
      EXPECT_EQ(exit_code, 1) << row.name;
      EXPECT_FALSE(fake.HasFile(kNewDefinitionFile)) << row.name;
      continue;
    }
    ASSERT_EQ(exit_code, 0) << row.name << "\n" << fake.output();
    DefinitionContent written;
    ASSERT_TRUE(ReadDefinitionContent(fake, kNewDefinitionFile, &written, &err))
        << row.name << ": " << err;
    ASSERT_EQ(built.content.patterns.size(), written.patterns.size())
        << row.name;
    for (size_t p = 0; p < written.patterns.size(); ++p) {
      EXPECT_EQ(built.content.patterns[p].pos, written.patterns[p].pos)
          << row.name << " pattern " << p;
      EXPECT_EQ(built.content.patterns[p].bytes, written.patterns[p].bytes)
          << row.name << " pattern " << p;
    }
    EXPECT_EQ(built.content.check_strings, written.check_strings) << row.name;
    // Equal but empty lists would prove little about strings.
    EXPECT_EQ(written.strings.empty(), row.no_strings) << row.name;
    EXPECT_EQ(built.content.strings, written.strings) << row.name;
  }
}

TEST(DefinitionBuilder, FrontBreaksPattern) {
  DefinitionContent definition;
  definition.patterns = {{"MV", 0}, {std::string("\0X", 2), 4}};
  const struct {
    const char* name;
    std::string front;
    bool breaks;
  } rows[] = {
      {"both there", std::string("MV..\0X..", 8), false},
      {"second differs", std::string("MV..\0Y", 6), true},
      {"file ends where the second begins", "MV..", true},
      {"file ends inside the second", std::string("MV..\0", 5), true},
      {"file ends before the second", "MV", true},
      {"empty file", "", true},
      {"NUL compared as a byte", "MV..\x01X", true},
      {"bytes above 0x7F", "\xC4V..", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FrontBreaksPattern(definition, row.front), row.breaks)
        << row.name;
  }
}

struct CrossRun {
  int exit_code;
  std::string output;
};

CrossRun CrossCheck(const std::string& arguments,
                    const std::vector<std::string>& samples,
                    const std::string& unreadable, int failing_open) {
  FakePlatform fake;
  for (size_t i = 0; i < samples.size(); ++i) {
    fake.AddFile("in/" + std::to_string(10 + i) + ".bin", samples[i]);
  }
  if (!unreadable.empty()) fake.MakeUnreadable(unreadable);
  if (failing_open > 0) fake.FailCall(FakeCall::kOpen, failing_open);
  std::vector<std::string> list = {"cross-check"};
  for (size_t start = 0; start < arguments.size();) {
    const size_t space = std::min(arguments.find(' ', start), arguments.size());
    list.push_back(arguments.substr(start, space - start));
    start = space + 1;
  }
  fake.SetArguments(list);
  const int exit_code = RunCheck(fake);
  return {exit_code, fake.output() + fake.error_output()};
}

TEST(CrossCheck, ExitCodesAndMessages) {
  std::vector<std::string> same;
  std::vector<std::string> versions;
  for (int i = 0; i < 12; ++i) {
    same.push_back(TypeSample(i, 1));
    versions.push_back(TypeSample(i, i == 5 ? 2 : 1));
  }
  const struct {
    const char* name;
    std::string arguments;
    std::vector<std::string> samples;
    std::string unreadable;
    int failing_open;  // counting from 1; 0 for none
    int exit_code;
    std::string output_part;
  } rows[] = {
      {"all match", "in/*", same, "", 0, 0,
       "Unseen files expected to match: 100.0% (12 of 12)"},
      {"a varying version byte fails", "in/* --folds 3", versions, "", 0, 1,
       "pattern at offset 0 (4D5658313148445201027C434F4D4D4F4E20574F5244537C4B"
       "4559004E554C4C7C): failed on 1 unseen file, in 1 of 3 folds\n"},
      {"leave-one-out",
       "in/*",
       {TypeSample(0, 1), TypeSample(5, 1), TypeSample(10, 1),
        TypeSample(15, 1)},
       "",
       0,
       0,
       "Fewer samples than the 5 folds asked for: leave-one-out"},
      {"too few samples",
       "in/*",
       {same[0], same[1]},
       "",
       0,
       2,
       "mavocheck: error: a cross-check needs at least 3 samples"},
      {"mask matching nothing", "in/* none/*", same, "", 0, 2,
       "mavocheck: error: no file matches none/*\n"},
      {"unreadable sample", "in/*", same, "in/13.bin", 0, 2,
       "mavocheck: error: cannot open in/13.bin\n"},
      // The 12 samples are opened once each to read their front blocks;
      // the 13th open is the string analysis's, which must fail the run.
      {"sample gone before its strings", "in/*", same, "", 13, 2,
       "mavocheck: error: cannot read a sample for the global strings: "},
      {"json", "in/* --json --no-strings", same, "", 0, 0,
       "\"check_strings\":false"},
  };
  for (const auto& row : rows) {
    const CrossRun run = CrossCheck(row.arguments, row.samples, row.unreadable,
                                    row.failing_open);
    EXPECT_EQ(run.exit_code, row.exit_code) << row.name << "\n" << run.output;
    EXPECT_NE(run.output.find(row.output_part), std::string::npos)
        << row.name << "\n"
        << run.output;
    if (row.exit_code == kCheckError) {
      EXPECT_TRUE(run.output.starts_with("mavocheck: error: ")) << row.name;
    }
  }
}

}  // namespace
}  // namespace mavoscan
