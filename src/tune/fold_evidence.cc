#include "tune/fold_evidence.h"

#include <algorithm>

#include "common/records.h"
#include "common/text.h"
#include "match/byte_evidence.h"
#include "match/file_verifier.h"

namespace mavoscan {
namespace {

// Records the pattern bytes of `fold.definition` that unseen samples lack.
void FindBrokenBytes(const std::vector<CrossSample>& samples,
                     FoldEvidence* fold) {
  for (const DefinitionPattern& pattern : fold->definition.patterns) {
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      const size_t offset = static_cast<size_t>(pattern.pos) + i;
      const char value = pattern.bytes[i];
      const bool broken = std::any_of(
          fold->held_out.begin(), fold->held_out.end(), [&](size_t index) {
            const std::string& front = samples[index].front;
            return offset >= front.size() || front[offset] != value;
          });
      if (!broken) continue;
      fold->broken_offsets.push_back(offset);
      fold->filler_broken =
          fold->filler_broken || !IsInformativeByte(ByteAt(pattern.bytes, i));
    }
  }
  std::sort(fold->broken_offsets.begin(), fold->broken_offsets.end());
}

}  // namespace

bool GatherFoldEvidence(Platform& platform,
                        const std::vector<CrossSample>& samples,
                        const FoldPlan& plan, StringMode strings,
                        std::vector<FoldEvidence>* folds, std::string* err,
                        const std::function<void()>& done) {
  DefinitionBuilder builder(platform, strings);
  folds->assign(plan.folds.size(), FoldEvidence());
  std::vector<const CrossSample*> training;
  BuiltDefinition built;
  std::vector<std::string> paths;
  std::vector<FileVerdict> verdicts;
  for (size_t f = 0; f < plan.folds.size(); ++f) {
    FoldEvidence& fold = (*folds)[f];
    // The scanner takes no more than kMaxSamples samples; a fold takes the
    // first of its training samples in shuffled order, as a cross-check
    // does.
    fold.training = FirstInCollectionOrder(TrainingOrder(plan, f), kMaxSamples);
    fold.held_out = FirstInCollectionOrder(plan.folds[f], plan.folds[f].size());
    training.clear();
    for (size_t index : fold.training) training.push_back(&samples[index]);
    if (!builder.Build(training, &built, err)) return false;
    if (!built.built) {
      done();
      continue;
    }
    fold.built = true;
    fold.definition = std::move(built.content);
    FindBrokenBytes(samples, &fold);

    paths.clear();
    for (size_t index : fold.held_out) paths.push_back(samples[index].path);
    if (!VerifyFiles(platform, fold.definition, VerifyDepth::kMatch, paths,
                     &verdicts, err, [](size_t) {})) {
      return false;
    }
    std::vector<bool> failed(fold.definition.strings.size(), false);
    for (const FileVerdict& verdict : verdicts) {
      fold.matched += verdict.Matches();
      fold.matched_by_patterns += verdict.failed_patterns.empty();
      for (size_t s : verdict.missing_strings) failed[s] = true;
    }
    fold.strings_failed =
        static_cast<size_t>(std::count(failed.begin(), failed.end(), true));
    done();
  }
  return true;
}

std::vector<size_t> BrokenOffsets(const std::vector<FoldEvidence>& folds,
                                  size_t skipped) {
  std::vector<size_t> offsets;
  for (size_t f = 0; f < folds.size(); ++f) {
    if (f == skipped) continue;
    offsets.insert(offsets.end(), folds[f].broken_offsets.begin(),
                   folds[f].broken_offsets.end());
  }
  std::sort(offsets.begin(), offsets.end());
  offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
  return offsets;
}

}  // namespace mavoscan
