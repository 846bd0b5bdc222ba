#ifndef MAVOSCAN_CHECK_REPORT_TEXT_H_
#define MAVOSCAN_CHECK_REPORT_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace mavoscan {

// Bytes as upper-case hexadecimal, two digits a byte.
std::string Hex(std::string_view bytes);

// A text in double quotes for the console: `"` and `\` escaped, every byte
// outside printable ASCII written as \xHH.
std::string Quoted(std::string_view text);

// "1 pattern", "2 patterns".
std::string Plural(size_t count, std::string_view noun);

// count / total as a percentage with one decimal ("87.5%"); "-" when total
// is 0.
std::string Percent(size_t count, size_t total);

// A bar `width` cells wide, filled to count / total, drawn with block
// characters (UTF-8) for a terminal.
std::string Bar(size_t count, size_t total, int width);

// `text` padded with spaces on the right (or the left) to `width` bytes.
std::string PadRight(std::string_view text, size_t width);
std::string PadLeft(std::string_view text, size_t width);

// How the text report looks: bars and progress only on a terminal, so that
// what goes to a pipe or a file is plain and stable.
struct TextStyle {
  bool terminal = false;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_REPORT_TEXT_H_
