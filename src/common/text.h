#ifndef MAVOSCAN_COMMON_TEXT_H_
#define MAVOSCAN_COMMON_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace mavoscan {

// Every console and file line ends this way, on every system.
constexpr std::string_view kLineEnd = "\r\n";

inline unsigned char ByteAt(std::string_view s, size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// The tool's own upper-casing: ASCII letters plus seven code page 437
// letters (132, 148, 129, 130, 164, 134, 135). Locale-independent.
unsigned char UpperByte(unsigned char byte);
std::string UpperCase(std::string_view text);
void UpperCaseInPlace(std::string* text);

// A file name for one line of a report or message: control bytes (00 to
// 1F and 7F) written as \xHH, so that a name can neither end the line nor
// steer a terminal; every other byte as it is.
std::string ShownName(std::string_view name);

// A number as console lines show it: one leading space when it is zero or
// more, a "-" when negative ("Found" + ConsoleNumber(12) is "Found 12").
std::string ConsoleNumber(int64_t value);

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_TEXT_H_
