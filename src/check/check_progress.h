#ifndef MAVOSCAN_CHECK_CHECK_PROGRESS_H_
#define MAVOSCAN_CHECK_CHECK_PROGRESS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace mavoscan {

// "<title> 42%" rewritten in place while work goes on, on a terminal only,
// and wiped when done, so that the report that follows starts on a clean
// line; a pipe or a file gets nothing from it.
class CheckProgress {
 public:
  CheckProgress(Platform& platform, std::string_view title, uint64_t total);
  ~CheckProgress();
  CheckProgress(const CheckProgress&) = delete;
  CheckProgress& operator=(const CheckProgress&) = delete;

  // Counts `count` more units of work done.
  void Advance(uint64_t count = 1);
  // Starts a new title with a new total (the line is reused).
  void Restart(std::string_view title, uint64_t total);

 private:
  void Show();

  Platform& platform_;
  const bool shown_;
  std::string title_;
  uint64_t total_ = 0;
  uint64_t done_ = 0;
  int percent_ = -1;
  size_t width_ = 0;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_CHECK_PROGRESS_H_
