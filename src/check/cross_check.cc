#include "check/cross_check.h"

#include <algorithm>
#include <compare>
#include <map>
#include <string>
#include <vector>

#include "check/check_progress.h"
#include "check/cross_check_report.h"
#include "check/definition_builder.h"
#include "check/fold_plan.h"
#include "match/file_verifier.h"

namespace mavoscan {
namespace {

// Counts, per pattern (offset and bytes) and per string, the unseen files
// that lacked it and the folds in which that happened. Folds build their
// own definitions, so a part is known by its content, not by its index.
class FailureTally {
 public:
  void Add(size_t fold, const DefinitionContent& definition,
           const FileVerdict& verdict) {
    for (const PatternMiss& miss : verdict.failed_patterns) {
      const DefinitionPattern& pattern = definition.patterns[miss.pattern];
      Count(fold, {true, pattern.pos, pattern.bytes});
    }
    for (size_t index : verdict.missing_strings) {
      Count(fold, {false, 0, definition.strings[index]});
    }
  }

  // The parts, most files first, then most folds, then by position.
  void Finish(CrossCheckResult* result) const {
    std::vector<FailingPart> parts;
    for (const auto& [key, count] : counts_) {
      parts.push_back(FailingPart{key.is_pattern, key.offset, key.bytes,
                                  count.files, count.folds});
    }
    std::stable_sort(parts.begin(), parts.end(),
                     [](const FailingPart& a, const FailingPart& b) {
                       if (a.files != b.files) return a.files > b.files;
                       return a.folds > b.folds;
                     });
    result->failing_count = parts.size();
    if (parts.size() > kMaxFailingParts) parts.resize(kMaxFailingParts);
    result->failing = std::move(parts);
  }

 private:
  struct Key {
    bool is_pattern;
    int64_t offset;
    std::string bytes;
    // Patterns before strings, then by offset and bytes.
    auto operator<=>(const Key& other) const {
      if (auto c = other.is_pattern <=> is_pattern; c != 0) return c;
      if (auto c = offset <=> other.offset; c != 0) return c;
      return bytes.compare(other.bytes) <=> 0;
    }
    bool operator==(const Key& other) const = default;
  };
  struct Counts {
    size_t files = 0;
    size_t folds = 0;
    size_t last_fold = 0;
  };

  void Count(size_t fold, Key key) {
    Counts& counts = counts_[std::move(key)];
    if (counts.files == 0 || counts.last_fold != fold) ++counts.folds;
    counts.last_fold = fold;
    ++counts.files;
  }

  std::map<Key, Counts> counts_;
};

// One definition built from some samples and tested on others.
class FoldRunner {
 public:
  FoldRunner(Platform& platform, const std::vector<CrossSample>& samples,
             StringMode strings, CheckProgress& progress)
      : platform_(platform),
        samples_(samples),
        builder_(platform, strings),
        progress_(progress) {}

  // Builds from `training` (sample indexes in collection order) and tests
  // the samples `tested`; a fold with no definition matches none of them.
  // With `tally`, the parts that unseen files lacked are counted as fold
  // `fold`'s. Returns false with *err set when a sample cannot be read.
  bool Run(const std::vector<size_t>& training,
           const std::vector<size_t>& tested, size_t fold, FailureTally* tally,
           FoldOutcome* outcome, std::string* err) {
    training_.clear();
    for (size_t index : training) training_.push_back(&samples_[index]);
    if (!builder_.Build(training_, &built_, err)) return false;
    progress_.Advance(training.size());
    *outcome = FoldOutcome();
    outcome->trained_on = training.size();
    outcome->held_out = tested.size();
    outcome->built = built_.built;
    if (!built_.built) {
      progress_.Advance(tested.size());
      return true;
    }
    outcome->patterns = built_.content.patterns.size();
    outcome->strings = built_.content.strings.size();
    // Without a tally only the verdict counts. A definition from very few
    // samples can hold hundreds of strings, which are slow to look for in
    // large files; when the front block kept in memory already breaks a
    // pattern, the file cannot match and need not be read.
    paths_.clear();
    for (size_t index : tested) {
      if (tally == nullptr &&
          FrontBreaksPattern(built_.content, samples_[index].front)) {
        progress_.Advance();
      } else {
        paths_.push_back(samples_[index].path);
      }
    }
    size_t shown = 0;
    if (!VerifyFiles(platform_, built_.content, VerifyDepth::kMatch, paths_,
                     &verdicts_, err, [&](size_t done) {
                       progress_.Advance(done - shown);
                       shown = done;
                     })) {
      return false;
    }
    for (const FileVerdict& verdict : verdicts_) {
      if (verdict.Matches()) {
        ++outcome->matched;
      } else if (tally != nullptr) {
        tally->Add(fold, built_.content, verdict);
      }
    }
    return true;
  }

 private:
  Platform& platform_;
  const std::vector<CrossSample>& samples_;
  DefinitionBuilder builder_;
  CheckProgress& progress_;
  std::vector<const CrossSample*> training_;
  BuiltDefinition built_;
  std::vector<std::string> paths_;
  std::vector<FileVerdict> verdicts_;
};

// Builds and tests every fold's definition and those of the learning curve.
bool CrossCheck(Platform& platform, const CrossCheckSettings& settings,
                const std::vector<CrossSample>& samples, const FoldPlan& plan,
                CrossCheckResult* result, std::string* err) {
  const size_t k = plan.folds.size();
  result->folds.resize(k);

  // The curve trains on ever more of fold 1's training samples and tests on
  // fold 1 alone: one more fold's worth of work per size, whatever k is.
  const std::vector<size_t> curve_order = TrainingOrder(plan, 0);
  const std::vector<size_t> curve_sizes = CurveSizes(
      std::min(curve_order.size(), static_cast<size_t>(kMaxSamples)));
  uint64_t work = 0;
  for (size_t f = 0; f < k; ++f) {
    work += std::min(samples.size() - plan.folds[f].size(),
                     static_cast<size_t>(kMaxSamples)) +
            plan.folds[f].size();
  }
  for (size_t size : curve_sizes) work += size + plan.folds[0].size();

  CheckProgress progress(platform, "Cross-checking...", work);
  FoldRunner runner(
      platform, samples,
      settings.check_strings ? StringMode::kRescan : StringMode::kNone,
      progress);
  FailureTally tally;
  for (size_t f = 0; f < k; ++f) {
    // The scanner takes no more than kMaxSamples samples, so neither does a
    // fold's definition: the first of its training samples in shuffled
    // order.
    const std::vector<size_t> training =
        FirstInCollectionOrder(TrainingOrder(plan, f), kMaxSamples);
    if (!runner.Run(training, plan.folds[f], f, &tally, &result->folds[f],
                    err)) {
      return false;
    }
  }
  tally.Finish(result);

  for (size_t size : curve_sizes) {
    FoldOutcome outcome;
    if (!runner.Run(FirstInCollectionOrder(curve_order, size), plan.folds[0], 0,
                    nullptr, &outcome, err)) {
      return false;
    }
    result->curve.push_back(
        {outcome.trained_on, outcome.built, outcome.matched, outcome.held_out});
  }
  // Fold 1's own definition is the curve's last point, built from them all.
  const FoldOutcome& first = result->folds[0];
  result->curve.push_back(
      {first.trained_on, first.built, first.matched, first.held_out});
  return true;
}

}  // namespace

bool RunCrossCheck(Platform& platform, const CrossCheckSettings& settings,
                   CrossCheckResult* result, std::string* err) {
  std::vector<CrossSample> samples;
  if (!CollectCrossSamples(platform, settings.masks, &samples, err)) {
    return false;
  }
  FoldPlan plan;
  if (!PlanFolds(samples.size(), settings.folds, settings.seed, &plan, err)) {
    return false;
  }
  *result = CrossCheckResult();
  result->sample_count = samples.size();
  result->seed = settings.seed;
  result->leave_one_out = plan.leave_one_out;
  result->requested_folds = settings.folds;
  result->check_strings = settings.check_strings;
  return CrossCheck(platform, settings, samples, plan, result, err);
}

}  // namespace mavoscan
