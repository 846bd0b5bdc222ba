#ifndef MAVOSCAN_COMMON_CONSOLE_H_
#define MAVOSCAN_COMMON_CONSOLE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace mavoscan {

// The error line for a file name the system refuses as too long (without
// its line end).
std::string NameTooLongError(std::string_view name);

// Writes `text` and ends the line with CR LF.
void PrintLine(Platform& platform, std::string_view text);

// Takes one pending key without waiting; true when it was Escape. Any other
// key is consumed and ignored.
bool EscapePressed(Platform& platform);

// A pass title followed by a whole-number percentage that is rewritten in
// place. On a terminal every new value is shown; when the console output is
// redirected only the final " 100%" is written, so transcripts are stable.
class ProgressLine {
 public:
  // Writes `title` without ending the line; the percentage goes right
  // after it.
  ProgressLine(Platform& platform, std::string_view title);
  // Shows `percent` (a value equal to the one on screen is skipped).
  void Show(int64_t percent);
  // Writes " 100%" at the percentage column and ends the line.
  void Finish();

 private:
  Platform& platform_;
  int column_;
  int64_t shown_ = -1;
};

// Hides the text cursor for its lifetime, so that every way out of a pass
// shows it again.
class HiddenCursor {
 public:
  explicit HiddenCursor(Platform& platform) : platform_(platform) {
    platform_.SetCursorVisible(false);
  }
  ~HiddenCursor() { platform_.SetCursorVisible(true); }
  HiddenCursor(const HiddenCursor&) = delete;
  HiddenCursor& operator=(const HiddenCursor&) = delete;

 private:
  Platform& platform_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_CONSOLE_H_
