#include "check/report_text.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"

namespace mavoscan {
namespace {

// A text in double quotes with every byte outside printable ASCII written
// as `byte_prefix` and two hexadecimal digits.
std::string QuotedWith(std::string_view text, std::string_view byte_prefix) {
  std::string quoted = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = ByteAt(text, i);
    if (byte == '"' || byte == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(byte);
    } else if (byte >= 0x20 && byte < 0x7F) {
      quoted += static_cast<char>(byte);
    } else {
      quoted.append(byte_prefix).append(Hex(text.substr(i, 1)));
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    hex += kDigits[ByteAt(bytes, i) >> 4];
    hex += kDigits[ByteAt(bytes, i) & 15];
  }
  return hex;
}

std::string Quoted(std::string_view text) { return QuotedWith(text, "\\x"); }

std::string Plural(size_t count, std::string_view noun) {
  std::string text = std::to_string(count) + " " + std::string(noun);
  return count == 1 ? text : text + "s";
}

std::string Percent(size_t count, size_t total) {
  if (total == 0) return "-";
  // Rounded down to a tenth, so that 99.96% never shows as 100.0%.
  const unsigned long long tenths = 1000ULL * count / total;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string Bar(size_t count, size_t total, int width) {
  static constexpr std::string_view kEighths[] = {
      "", "\u258F", "\u258E", "\u258D", "\u258C", "\u258B", "\u258A", "\u2589"};
  if (width <= 0) return "";
  const size_t cells = static_cast<size_t>(width);
  const size_t eighths =
      total == 0 ? 0 : std::min(cells * 8, cells * 8 * count / total);
  std::string bar;
  for (size_t i = 0; i < eighths / 8; ++i) bar += "\u2588";
  bar += kEighths[eighths % 8];
  const size_t used = eighths / 8 + (eighths % 8 != 0);
  bar.append(cells - used, ' ');
  return bar;
}

std::string PadRight(std::string_view text, size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string PadLeft(std::string_view text, size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.insert(0, width - padded.size(), ' ');
  return padded;
}

}  // namespace mavoscan
