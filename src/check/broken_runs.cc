#include "check/broken_runs.h"

#include <algorithm>
#include <array>

#include "common/records.h"
#include "common/text.h"

namespace mavoscan {
namespace {

// True when `held` of `total` files is "most" (see BrokenRun).
bool HeldByMost(size_t held, size_t total) {
  return held >= 2 && held < total && 4 * held >= 3 * total;
}

}  // namespace

std::vector<BrokenRun> FindBrokenRuns(const std::vector<std::string>& fronts) {
  std::vector<BrokenRun> runs;
  size_t longest = 0;
  for (const std::string& front : fronts) {
    longest = std::max(longest, front.size());
  }
  longest = std::min(longest, static_cast<size_t>(kFrontBlockSize));

  std::vector<size_t> breakers;
  std::vector<size_t> previous;
  bool open = false;
  std::array<size_t, 256> counts;
  for (size_t pos = 0; pos < longest; ++pos) {
    counts.fill(0);
    for (const std::string& front : fronts) {
      if (pos < front.size()) ++counts[ByteAt(front, pos)];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    const unsigned char byte =
        static_cast<unsigned char>(most - counts.begin());
    if (!HeldByMost(*most, fronts.size())) {
      open = false;
      continue;
    }
    breakers.clear();
    for (size_t f = 0; f < fronts.size(); ++f) {
      if (pos >= fronts[f].size() || ByteAt(fronts[f], pos) != byte) {
        breakers.push_back(f);
      }
    }
    if (!open || breakers != previous) {
      runs.push_back(BrokenRun{pos, "", *most, {}});
      for (size_t f : breakers) runs.back().breakers.push_back({f, "", false});
      previous = breakers;
      open = true;
    }
    runs.back().bytes.push_back(static_cast<char>(byte));
  }

  for (BrokenRun& run : runs) {
    for (RunBreaker& breaker : run.breakers) {
      const std::string& front = fronts[breaker.file];
      if (run.offset < front.size()) {
        breaker.found = front.substr(run.offset, run.bytes.size());
      }
      breaker.file_too_short = breaker.found.size() < run.bytes.size();
    }
  }
  return runs;
}

}  // namespace mavoscan
