#ifndef MAVOSCAN_TUNE_TUNE_H_
#define MAVOSCAN_TUNE_TUNE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/definition_builder.h"
#include "platform/platform.h"
#include "tune/part_choice.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

struct TuneInput {
  const DefinitionContent* definition = nullptr;
  // The files the definition was, or could be, built from (at least 3),
  // and those it must not match (any number).
  const std::vector<CrossSample>* samples = nullptr;
  const std::vector<CrossSample>* not_files = nullptr;
  int folds = 5;
  uint64_t seed = 1;
  // Called now and then on the calling thread with the share of the work
  // done, 0 to 1.
  std::function<void(double)> progress = [](double) {};
};

// How a definition fares, before or after tuning.
struct TuneFigures {
  size_t patterns = 0;
  size_t pattern_bytes = 0;
  size_t strings = 0;
  // Unseen samples of the folds that matched a definition built (and, for
  // the tuned one, tuned) without them.
  size_t unseen_matched = 0;
  // --not files that match.
  size_t not_matched = 0;
};

enum class PartKind { kPattern, kString };

// Consecutive bytes of one pattern, or one string, left out for one reason.
struct DroppedPart {
  PartKind kind = PartKind::kPattern;
  int64_t offset = 0;  // patterns only
  // The bytes, or the string as written.
  std::string bytes;
  DropReason reason = DropReason::kNotNeeded;
};

struct TuneResult {
  size_t sample_count = 0;
  size_t not_count = 0;
  size_t folds = 0;
  uint64_t seed = 1;
  bool leave_one_out = false;
  // Given samples that the definition as it was matches.
  size_t samples_matched = 0;
  TuneFigures before;
  TuneFigures after;
  // Unseen samples the folds' definitions matched by their patterns alone.
  size_t unseen_matched_without_strings = 0;
  // Strings of the folds' definitions that unseen samples lacked, of how
  // many.
  size_t fold_strings_failed = 0;
  size_t fold_strings = 0;
  DefinitionContent tuned;
  std::vector<DroppedPart> dropped;
  // The --not files no choice of the definition's parts rejects: they
  // cannot be told apart from the samples by these parts. In order given.
  std::vector<std::string> inseparable;
  // --not files that only one kept part rejects.
  size_t rejected_once = 0;

  // Every --not file is rejected.
  bool Separated() const { return inseparable.empty(); }
};

// Tunes input.definition on the samples. Deterministic for a seed. Returns
// false with *err set when there are too few samples for the folds or a
// file cannot be read.
bool TuneDefinition(Platform& platform, const TuneInput& input,
                    TuneResult* result, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_TUNE_H_
