#ifndef MAVOSCAN_STRINGS_RAW_STRINGS_H_
#define MAVOSCAN_STRINGS_RAW_STRINGS_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace mavoscan {

// No candidate shorter than this is kept.
constexpr size_t kMinStringLength = 4;

// NUL and space: trimmed from the ends of strings, and they split words.
inline bool IsPadByte(char c) { return c == '\0' || c == ' '; }

// True for the 76 bytes a string cut from a sample may hold: NUL, space,
// digits, letters and - + _ . $ ( ) { } ~ * %.
bool IsStringByte(unsigned char byte);

// `s` without leading and trailing pad bytes.
std::string_view TrimPads(std::string_view s);

// Splits `text` at every delimiter byte (every byte that is not a string
// byte) and returns the number of fields, empty ones included. Appends to
// *raw, as views into `text`, only the fields that keep at least 4 bytes
// after trimming: the others make no candidates.
int64_t CutRawStrings(std::string_view text,
                      std::vector<std::string_view>* raw);

// Orders the raw strings by their bytes (unsigned, a prefix first), trims
// them, and keeps those of at least 4 bytes that differ from the last one
// kept: the raw strings that make candidates, trimmed, in candidate order.
std::vector<std::string_view> AcceptRawStrings(
    std::vector<std::string_view> raw);

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_RAW_STRINGS_H_
