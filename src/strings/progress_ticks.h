#ifndef MAVOSCAN_STRINGS_PROGRESS_TICKS_H_
#define MAVOSCAN_STRINGS_PROGRESS_TICKS_H_

#include <cstdint>

#include "common/console.h"

namespace mavoscan {

// The percentages a pass shows: a counter of visited candidates runs on
// across samples and phases, and at every `every`-th step the value
// 100 * (step - origin) / span of the current phase is shown. The values
// depend on the counts alone, so the passes can show them as their own work
// advances, in the same order.
class ProgressTicks {
 public:
  explicit ProgressTicks(int every) : every_(every) {}

  // From now on ticks after step `origin` go to `line` and show their
  // share of `span`. The ticks of the previous phase must all be shown.
  void StartPhase(ProgressLine* line, int64_t origin, int64_t span) {
    line_ = line;
    origin_ = origin;
    span_ = span;
    next_tick_ = (origin / every_ + 1) * every_;
  }

  // Shows the values of all ticks up to and including `step` (a value equal
  // to the previous one is not shown again).
  void ShowThrough(int64_t step);

 private:
  int every_;
  int64_t next_tick_ = 0;
  ProgressLine* line_ = nullptr;
  int64_t origin_ = 0;
  int64_t span_ = 1;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PROGRESS_TICKS_H_
