#include "platform/windows_rules.h"

#include <string>

#include "platform/platform.h"

namespace mavoscan {
namespace {

constexpr uint16_t kVirtualKeyEscape = 0x1b;

bool IsModifierKey(uint16_t virtual_key) {
  switch (virtual_key) {
    case 0x10:  // Shift
    case 0x11:  // Control
    case 0x12:  // Alt
    case 0x14:  // Caps Lock
    case 0x5b:  // left Windows key
    case 0x5c:  // right Windows key
    case 0x90:  // Num Lock
    case 0x91:  // Scroll Lock
      return true;
    default:
      return virtual_key >= 0xa0 && virtual_key <= 0xa5;  // left/right forms
  }
}

}  // namespace

std::string_view TextAfterProgramName(std::string_view command_line) {
  size_t end;
  if (!command_line.empty() && command_line[0] == '"') {
    size_t close = command_line.find('"', 1);
    end = close == std::string_view::npos ? command_line.size() : close + 1;
  } else {
    end = 0;
    while (end < command_line.size() &&
           static_cast<unsigned char>(command_line[end]) > ' ') {
      ++end;
    }
  }
  while (end < command_line.size() &&
         (command_line[end] == ' ' || command_line[end] == '\t')) {
    ++end;
  }
  return command_line.substr(end);
}

size_t DirectoryPartLength(std::string_view path) {
  size_t last = path.find_last_of("\\/:");
  return last == std::string_view::npos ? 0 : last + 1;
}

bool IsListedEntry(uint32_t attributes, std::string_view name) {
  if ((attributes &
       (kAttributeDirectory | kAttributeHidden | kAttributeSystem)) != 0) {
    return false;
  }
  return !name.empty() && name != "." && name != "..";
}

bool HoldsWildcard(std::string_view name) {
  return name.find_first_of("*?<>\"") != std::string_view::npos;
}

bool ExceedsPathLimits(std::string_view full_path) {
  // The classic limit counts the terminating NUL: 259 bytes of path.
  constexpr size_t kMaxPath = 260;
  constexpr size_t kMaxComponent = 255;
  if (full_path.size() >= kMaxPath) return true;
  size_t start = 0;
  while (start <= full_path.size()) {
    size_t end = full_path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = full_path.size();
    if (end - start > kMaxComponent) return true;
    start = end + 1;
  }
  return false;
}

int DecodeKeyEvent(const ConsoleInputEvent& event) {
  if (!event.is_key || !event.key_down) return kNoKey;
  if (event.virtual_key == kVirtualKeyEscape || event.character == kEscapeKey) {
    return kEscapeKey;
  }
  if (event.character != 0) return event.character;
  if (IsModifierKey(event.virtual_key)) return kNoKey;
  return 0x100 + event.virtual_key;
}

bool ForeignTemporary(std::string_view name, uint32_t own_process_id) {
  if (!name.starts_with(kTemporaryPrefix)) return false;
  std::string own = kTemporaryPrefix + std::to_string(own_process_id) + "-";
  return !name.starts_with(own);
}

std::string_view TrimSystemMessage(std::string_view message) {
  while (!message.empty() &&
         (message.back() == '\r' || message.back() == '\n' ||
          message.back() == ' ' || message.back() == '\t')) {
    message.remove_suffix(1);
  }
  if (message.ends_with('.')) message.remove_suffix(1);
  return message;
}

}  // namespace mavoscan
