#ifndef MAVOSCAN_TUNE_FOLD_EVIDENCE_H_
#define MAVOSCAN_TUNE_FOLD_EVIDENCE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "check/definition_builder.h"
#include "check/fold_plan.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// What one fold shows: a definition built, as the scanner builds a new one,
// from the other folds' samples, and which of its parts the fold's own
// (unseen) samples break. A definition built from every sample holds on
// every one of them, so only such definitions tell a byte that is constant
// by chance from one the type fixes.
struct FoldEvidence {
  // Sample indexes, in collection order.
  std::vector<size_t> training;
  std::vector<size_t> held_out;
  // False when the training samples share no pattern.
  bool built = false;
  DefinitionContent definition;
  // The offsets of the definition's pattern bytes that at least one unseen
  // sample does not hold, ascending.
  std::vector<size_t> broken_offsets;
  // One of those bytes was 00 or FF.
  bool filler_broken = false;
  // How many of the definition's strings some unseen sample lacks.
  size_t strings_failed = 0;
  // Unseen samples that match the whole definition, and its patterns alone.
  size_t matched = 0;
  size_t matched_by_patterns = 0;
};

// Builds and tests the definition of every fold of `plan` (strings as
// `strings` says). Returns false with *err set when a sample cannot be
// read.
// `done` is called after each fold.
bool GatherFoldEvidence(Platform& platform,
                        const std::vector<CrossSample>& samples,
                        const FoldPlan& plan, StringMode strings,
                        std::vector<FoldEvidence>* folds, std::string* err,
                        const std::function<void()>& done);

// Every offset of `folds` but fold `skipped` (none when it is out of range)
// that unseen samples broke, ascending and once each.
std::vector<size_t> BrokenOffsets(const std::vector<FoldEvidence>& folds,
                                  size_t skipped);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_FOLD_EVIDENCE_H_
