#ifndef MAVOSCAN_PLATFORM_WINDOWS_RULES_H_
#define MAVOSCAN_PLATFORM_WINDOWS_RULES_H_

#include <cstdint>
#include <string_view>

// The decisions of the Windows platform layer that need no system call,
// kept apart from windows.h so that they build and are tested everywhere.

namespace mavoscan {

// What the command-line text holds after the program's name. The name ends
// at its closing double quote when it begins with one (an unclosed quote
// takes the whole text), otherwise at the first space or control byte; the
// spaces and TABs after it are skipped.
std::string_view TextAfterProgramName(std::string_view command_line);

// The length of the directory part of `path`: everything up to and
// including its last "\", "/" or ":"; 0 when it has none.
size_t DirectoryPartLength(std::string_view path);

// File attribute bits of a directory search entry, as the system numbers
// them.
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributeDirectory = 0x10;

// True when a directory search entry is a file the tool may take: not a
// directory, not hidden or system, and not "." or "..".
bool IsListedEntry(uint32_t attributes, std::string_view name);

// True when `name` holds a byte the search takes as a wildcard ("*", "?",
// and "<", ">", '"', which the file system reads as wildcards too). No file
// name holds one, so such a name never names an existing file.
bool HoldsWildcard(std::string_view name);

// True when `full_path` (an absolute path) is longer than the classic path
// limit allows, or one of its parts is longer than a file name may be.
bool ExceedsPathLimits(std::string_view full_path);

// One input record of the console, reduced to what the key poll needs.
struct ConsoleInputEvent {
  bool is_key = false;  // false for mouse, size, focus and menu records
  bool key_down = false;
  uint16_t virtual_key = 0;
  unsigned char character = 0;  // 0 when the key gives no character
};

// The key code Platform::PollKey reports for `event`: kNoKey for records
// that are not key presses (releases, other kinds, a modifier key alone),
// kEscapeKey for Escape, the character for keys that give one and a code
// above 255 for the others (arrows, function keys).
int DecodeKeyEvent(const ConsoleInputEvent& event);

// True when `name` is a temporary of ours (kTemporaryPrefix) that the
// process `own_process_id` did not make, and so may be removed: the system
// refuses to delete one another run still has open.
bool ForeignTemporary(std::string_view name, uint32_t own_process_id);

// The system's message text made fit for one console line: the trailing
// line break and blanks and the final full stop removed.
std::string_view TrimSystemMessage(std::string_view message);

}  // namespace mavoscan

#endif  // MAVOSCAN_PLATFORM_WINDOWS_RULES_H_
