#ifndef MAVOSCAN_TUNE_SPLIT_H_
#define MAVOSCAN_TUNE_SPLIT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "check/definition_builder.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// One group of a split set and the definition the scanner builds from it.
struct SplitGroup {
  // Indexes into the samples, ascending (collection order).
  std::vector<size_t> files;
  // What sets the group apart (empty when the set forms one group).
  PatternList marks;
  // Built from the group's files as `mavoscan` builds a new definition.
  DefinitionContent definition;
  // The upper-cased extension every file of the group shares, or empty.
  std::string ext;
};

struct SplitResult {
  size_t sample_count = 0;
  // False when no split is clearly better: one group of every sample.
  bool grouped = false;
  std::vector<SplitGroup> groups;
};

// Splits `samples` into the groups GroupFiles finds (largest first) and
// builds each group's definition with global strings. Returns false with
// *err set when there are fewer than 2 samples, the samples share no
// pattern, or a sample cannot be read.
bool SplitSamples(Platform& platform, const std::vector<CrossSample>& samples,
                  SplitResult* result, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_SPLIT_H_
