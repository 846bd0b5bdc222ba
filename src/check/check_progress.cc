#include "check/check_progress.h"

#include <algorithm>

namespace mavoscan {

CheckProgress::CheckProgress(Platform& platform, std::string_view title,
                             uint64_t total)
    : platform_(platform), shown_(platform.ConsoleIsTerminal()) {
  Restart(title, total);
}

CheckProgress::~CheckProgress() {
  if (shown_ && width_ > 0) {
    platform_.Write("\r" + std::string(width_, ' ') + "\r");
  }
}

void CheckProgress::Advance(uint64_t count) {
  done_ = std::min(total_, done_ + count);
  Show();
}

void CheckProgress::Restart(std::string_view title, uint64_t total) {
  title_ = title;
  total_ = total;
  done_ = 0;
  percent_ = -1;
  Show();
}

void CheckProgress::Show() {
  if (!shown_) return;
  const int percent =
      total_ == 0 ? 100 : static_cast<int>(100 * done_ / total_);
  if (percent == percent_) return;
  percent_ = percent;
  std::string line = title_ + " " + std::to_string(percent) + "%";
  const size_t length = line.size();
  // Spaces wipe what a longer earlier line left.
  if (length < width_) line.append(width_ - length, ' ');
  platform_.Write("\r" + line);
  width_ = std::max(width_, length);
}

}  // namespace mavoscan
