// The string analysis against the plain reference implementation on two to
// four tiny samples: strings, errors and console text must agree exactly.
// Input: choices from the last bytes (sample count, rescan or inherit,
// terminal, a missing or unreadable sample), then the samples and the
// inherited strings, each ended by a backslash and another byte ("\\"
// stands for one backslash).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fuzz/fuzz_check.h"
#include "strings/string_analysis.h"
#include "strings/string_test_util.h"
#include "support/string_oracle.h"

namespace mavoscan {
namespace {

struct Case {
  bool rescan = true;
  bool terminal = false;
  // Negative for none; otherwise the sample removed (even) or unreadable
  // (odd) after collection, at index broken / 2.
  int broken = -1;
  std::vector<std::string> files;
  std::vector<std::string> inherited;
};

AnalysisRun Run(const Case& c, AnalyseFunction analyse) {
  FakePlatform fake;
  fake.SetTerminal(c.terminal);
  std::vector<std::string> paths;
  for (size_t k = 0; k < c.files.size(); ++k) {
    paths.push_back("s" + std::to_string(k) + ".bin");
    fake.AddFile(paths.back(), c.files[k]);
  }
  const SampleSet samples = SamplesOf(fake, paths);
  if (c.broken >= 0 && static_cast<size_t>(c.broken / 2) < paths.size()) {
    const std::string& path = paths[static_cast<size_t>(c.broken / 2)];
    if (c.broken % 2 == 0) {
      fake.RemoveFile(path);
    } else {
      fake.MakeUnreadable(path);
    }
  }
  return RunAnalysis(fake, analyse, c.rescan, c.inherited, samples);
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mavoscan;
  FuzzedDataProvider input(data, size);
  Case c;
  const int sample_count = input.ConsumeIntegralInRange(2, 4);
  c.rescan = input.ConsumeBool();
  c.terminal = input.ConsumeBool();
  // Most inputs keep every sample.
  c.broken = input.ConsumeIntegralInRange(-24, 7);
  for (int k = 0; k < sample_count; ++k) {
    c.files.push_back(input.ConsumeRandomLengthString(512));
  }
  while (!c.rescan && input.remaining_bytes() > 0 && c.inherited.size() < 16) {
    c.inherited.push_back(input.ConsumeRandomLengthString(64));
  }

  const AnalysisRun fast = Run(c, &AnalyseStrings);
  const AnalysisRun plain = Run(c, &OracleAnalyseStrings);
  Require(fast.ok == plain.ok, "success differs from the reference");
  Require(fast.err == plain.err, "error text differs from the reference");
  Require(fast.strings == plain.strings, "strings differ from the reference");
  Require(fast.samples.size() == plain.samples.size(),
          "sample count differs from the reference");
  for (size_t k = 0; k < fast.samples.size(); ++k) {
    Require(fast.samples[k].path == plain.samples[k].path,
            "sample order differs from the reference");
  }
  Require(fast.output == plain.output, "console differs from the reference");
  Require(fast.screen == plain.screen, "screen differs from the reference");
  return 0;
}
