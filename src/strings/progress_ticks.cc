#include "strings/progress_ticks.h"

#include <algorithm>

namespace mavoscan {

void ProgressTicks::ShowThrough(int64_t step) {
  if (line_ == nullptr || span_ <= 0) return;
  while (next_tick_ <= step) {
    const int64_t value = 100 * (next_tick_ - origin_) / span_;
    line_->Show(value);
    // Skip the ticks that would show the same value again: the next value
    // needs 100 * (tick - origin) >= (value + 1) * span.
    const int64_t need = origin_ + ((value + 1) * span_ + 99) / 100;
    const int64_t rounded = (need + every_ - 1) / every_ * every_;
    next_tick_ = std::max(next_tick_ + every_, rounded);
  }
}

}  // namespace mavoscan
