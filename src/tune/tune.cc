#include "tune/tune.h"

#include <algorithm>

#include "check/fold_plan.h"
#include "match/file_verifier.h"
#include "tune/fold_evidence.h"

namespace mavoscan {
namespace {

// How many of `files` match `definition`: patterns from the leading bytes
// kept in memory, strings (when it checks them) by reading the files whose
// patterns all hold.
bool CountMatches(Platform& platform, const DefinitionContent& definition,
                  const std::vector<const CrossSample*>& files, size_t* count,
                  std::string* err) {
  *count = 0;
  std::vector<std::string> paths;
  for (const CrossSample* file : files) {
    if (!FrontBreaksPattern(definition, file->front)) {
      paths.push_back(file->path);
    }
  }
  if (!definition.check_strings || definition.strings.empty()) {
    *count = paths.size();
    return true;
  }
  std::vector<FileVerdict> verdicts;
  if (!VerifyFiles(platform, definition, VerifyDepth::kMatch, paths, &verdicts,
                   err, [](size_t) {})) {
    return false;
  }
  for (const FileVerdict& verdict : verdicts) *count += verdict.Matches();
  return true;
}

std::vector<const CrossSample*> Pointers(const std::vector<CrossSample>& all,
                                         const std::vector<size_t>& indexes) {
  std::vector<const CrossSample*> files;
  for (size_t index : indexes) files.push_back(&all[index]);
  return files;
}

// The offsets of the pattern bytes of `definition` that one of the
// samples `tested` does not hold.
std::vector<size_t> BrokenBytes(const DefinitionContent& definition,
                                const std::vector<CrossSample>& samples,
                                const std::vector<size_t>& tested) {
  std::vector<size_t> offsets;
  for (const DefinitionPattern& pattern : definition.patterns) {
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      const size_t offset = static_cast<size_t>(pattern.pos) + i;
      for (size_t index : tested) {
        const std::string& front = samples[index].front;
        if (offset >= front.size() || front[offset] != pattern.bytes[i]) {
          offsets.push_back(offset);
          break;
        }
      }
    }
  }
  return offsets;
}

void Measure(const DefinitionContent& definition, TuneFigures* figures) {
  figures->patterns = definition.patterns.size();
  figures->pattern_bytes = 0;
  for (const DefinitionPattern& pattern : definition.patterns) {
    figures->pattern_bytes += pattern.bytes.size();
  }
  figures->strings = definition.check_strings ? definition.strings.size() : 0;
}

std::vector<DroppedPart> DroppedParts(const DefinitionContent& definition,
                                      const PartChoice& choice) {
  std::vector<DroppedPart> dropped;
  for (size_t p = 0; p < definition.patterns.size(); ++p) {
    const DefinitionPattern& pattern = definition.patterns[p];
    bool open = false;
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      if (choice.kept_bytes[p][i]) {
        open = false;
        continue;
      }
      const DropReason reason = choice.byte_reasons[p][i];
      if (!open || dropped.back().reason != reason) {
        dropped.push_back({PartKind::kPattern,
                           pattern.pos + static_cast<int64_t>(i), "", reason});
        open = true;
      }
      dropped.back().bytes.push_back(pattern.bytes[i]);
    }
  }
  for (size_t s = 0; s < definition.strings.size(); ++s) {
    if (!choice.kept_strings[s]) {
      dropped.push_back({PartKind::kString, 0, definition.strings[s],
                         choice.string_reasons[s]});
    }
  }
  return dropped;
}

}  // namespace

bool TuneDefinition(Platform& platform, const TuneInput& input,
                    TuneResult* result, std::string* err) {
  const DefinitionContent& definition = *input.definition;
  const std::vector<CrossSample>& samples = *input.samples;
  const std::vector<CrossSample>& not_files = *input.not_files;
  FoldPlan plan;
  if (!PlanFolds(samples.size(), input.folds, input.seed, &plan, err)) {
    return false;
  }
  *result = TuneResult();
  result->sample_count = samples.size();
  result->not_count = not_files.size();
  result->folds = plan.folds.size();
  result->seed = input.seed;
  result->leave_one_out = plan.leave_one_out;

  // The definition on the given samples: a part that one of them lacks
  // cannot stay, whatever the folds say.
  std::vector<std::string> paths;
  for (const CrossSample& sample : samples) paths.push_back(sample.path);
  std::vector<FileVerdict> verdicts;
  if (!VerifyFiles(platform, definition, VerifyDepth::kMatch, paths, &verdicts,
                   err, [](size_t) {})) {
    return false;
  }
  ChoiceEvidence evidence;
  evidence.string_fails.assign(definition.strings.size(), false);
  for (const FileVerdict& verdict : verdicts) {
    result->samples_matched += verdict.Matches();
    for (size_t s : verdict.missing_strings) evidence.string_fails[s] = true;
  }
  for (const CrossSample& sample : samples) {
    evidence.sample_fronts.push_back(&sample.front);
  }

  // The folds' definitions take most of the time (a string analysis each),
  // then each fold is tuned twice and the definition once.
  const double steps = 3.0 * static_cast<double>(plan.folds.size()) + 1;
  double step = 0;
  auto advance = [&] { input.progress(++step / steps); };
  std::vector<FoldEvidence> folds;
  if (!GatherFoldEvidence(
          platform, samples, plan,
          definition.check_strings ? StringMode::kRescan : StringMode::kNone,
          &folds, err, advance)) {
    return false;
  }
  Measure(definition, &result->before);
  for (const FoldEvidence& fold : folds) {
    result->before.unseen_matched += fold.matched;
    result->unseen_matched_without_strings += fold.matched_by_patterns;
    result->fold_strings_failed += fold.strings_failed;
    result->fold_strings += fold.definition.strings.size();
  }
  NotFiles nots(platform, not_files);
  if (definition.check_strings) nots.AddStrings(definition.strings);
  for (const FoldEvidence& fold : folds) {
    if (fold.definition.check_strings) nots.AddStrings(fold.definition.strings);
  }
  if (!nots.CountMatches(definition, &result->before.not_matched, err)) {
    return false;
  }

  // Evidence of the folds other than `skipped` (all of them when it is out
  // of range): the bytes their definitions kept that unseen samples broke
  // and, from the first round on, the bytes their tuned definitions kept
  // that unseen samples broke.
  std::vector<std::vector<size_t>> tuned_broken(folds.size());
  auto fold_evidence = [&](size_t skipped, ChoiceEvidence* into) {
    into->broken_offsets = BrokenOffsets(folds, skipped);
    for (size_t f = 0; f < folds.size(); ++f) {
      if (f == skipped) continue;
      into->filler_failed = into->filler_failed || folds[f].filler_broken;
      into->strings_failed =
          into->strings_failed || folds[f].strings_failed > 0;
      into->broken_offsets.insert(into->broken_offsets.end(),
                                  tuned_broken[f].begin(),
                                  tuned_broken[f].end());
    }
    std::sort(into->broken_offsets.begin(), into->broken_offsets.end());
  };

  // Each fold's definition is tuned twice, on what the other folds show. A
  // tuned definition keeps few bytes, chosen for the --not files, and a
  // byte that only happened to reject them is what unseen samples break:
  // the first round finds such bytes, so that the second round, and the
  // definition itself, can leave their fields alone. The second round's
  // tuned definitions, tested on their fold's own samples, which took no
  // part in them, give the estimate.
  for (int round = 0; round < 2; ++round) {
    for (size_t f = 0; f < folds.size(); ++f) {
      advance();
      if (!folds[f].built) continue;
      ChoiceEvidence other;
      fold_evidence(f, &other);
      PartChoice fold_choice;
      if (!ChooseParts(folds[f].definition, other, nots, &fold_choice, err)) {
        return false;
      }
      const DefinitionContent kept =
          KeptContent(folds[f].definition, fold_choice);
      if (round == 0) {
        tuned_broken[f] = BrokenBytes(kept, samples, folds[f].held_out);
        continue;
      }
      size_t matched = 0;
      if (!CountMatches(platform, kept, Pointers(samples, folds[f].held_out),
                        &matched, err)) {
        return false;
      }
      result->after.unseen_matched += matched;
    }
  }

  fold_evidence(folds.size(), &evidence);
  PartChoice choice;
  if (!ChooseParts(definition, evidence, nots, &choice, err)) return false;
  result->tuned = KeptContent(definition, choice);
  result->dropped = DroppedParts(definition, choice);
  for (size_t f = 0; f < choice.rejected_by.size(); ++f) {
    if (choice.rejected_by[f] == 0) {
      result->inseparable.push_back(not_files[f].path);
    }
    result->rejected_once += choice.rejected_by[f] == 1;
  }
  Measure(result->tuned, &result->after);
  if (!nots.CountMatches(result->tuned, &result->after.not_matched, err)) {
    return false;
  }
  return true;
}

}  // namespace mavoscan
