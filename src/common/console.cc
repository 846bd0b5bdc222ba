#include "common/console.h"

#include <string>

#include "common/text.h"

namespace mavoscan {

std::string NameTooLongError(std::string_view name) {
  return "* Error: file name too long <" + std::string(name) + ">";
}

void PrintLine(Platform& platform, std::string_view text) {
  std::string line(text);
  line += kLineEnd;
  platform.Write(line);
}

bool EscapePressed(Platform& platform) {
  return platform.PollKey() == kEscapeKey;
}

ProgressLine::ProgressLine(Platform& platform, std::string_view title)
    : platform_(platform) {
  platform_.Write(title);
  column_ = platform_.CursorColumn();
}

void ProgressLine::Show(int64_t percent) {
  if (percent == shown_ || !platform_.ConsoleIsTerminal()) return;
  shown_ = percent;
  platform_.MoveToColumn(column_);
  platform_.Write(ConsoleNumber(percent) + "%");
}

void ProgressLine::Finish() {
  if (platform_.ConsoleIsTerminal()) platform_.MoveToColumn(column_);
  platform_.Write(" 100%");
  platform_.Write(kLineEnd);
  shown_ = 100;
}

}  // namespace mavoscan
