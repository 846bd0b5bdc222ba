#ifndef MAVOSCAN_TESTS_STRINGS_STRING_TEST_UTIL_H_
#define MAVOSCAN_TESTS_STRINGS_STRING_TEST_UTIL_H_

#include <string>
#include <vector>

#include "common/records.h"
#include "fakes/fake_platform.h"

namespace mavoscan {

using AnalyseFunction = bool (*)(Platform&, StringMode,
                                 const std::vector<std::string>&, SampleSet*,
                                 std::vector<std::string>*, Failure*);

// One implementation of the analysis under test.
struct Implementation {
  const char* name;
  AnalyseFunction analyse;
};

// The outcome of one analysis on a fake platform.
struct AnalysisRun {
  bool ok = false;
  Failure failure;
  std::string err;  // the failure's text
  std::vector<std::string> strings;
  SampleSet samples;  // in the order the analysis left them
  std::string output;
  std::string screen;
  int polls = 0;
};

// The samples `paths` as collection leaves them: sizes from the fake's
// files (0 for a missing one) unless given.
inline SampleSet SamplesOf(const FakePlatform& fake,
                           const std::vector<std::string>& paths) {
  SampleSet samples;
  for (const std::string& path : paths) {
    samples.push_back({path, static_cast<int64_t>(fake.FileData(path).size())});
  }
  return samples;
}

inline AnalysisRun RunAnalysis(FakePlatform& fake, AnalyseFunction analyse,
                               bool rescan,
                               const std::vector<std::string>& inherited,
                               SampleSet samples) {
  AnalysisRun run;
  run.samples = std::move(samples);
  run.ok = analyse(fake, rescan ? StringMode::kRescan : StringMode::kInherit,
                   inherited, &run.samples, &run.strings, &run.failure);
  run.err = run.failure.text;
  run.output = fake.output();
  run.screen = fake.screen_log();
  run.polls = fake.poll_count();
  return run;
}

}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_STRINGS_STRING_TEST_UTIL_H_
