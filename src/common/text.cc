#include "common/text.h"

#include <array>

namespace mavoscan {
namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c)
    table[c] = static_cast<unsigned char>(c - 32);
  // The code page 437 letters with an upper-case form in the same page.
  table[132] = 142;
  table[148] = 153;
  table[129] = 154;
  table[130] = 144;
  table[164] = 165;
  table[134] = 143;
  table[135] = 128;
  return table;
}

constexpr std::array<unsigned char, 256> kUpperTable = MakeUpperTable();

}  // namespace

unsigned char UpperByte(unsigned char byte) { return kUpperTable[byte]; }

std::string UpperCase(std::string_view text) {
  std::string result(text);
  UpperCaseInPlace(&result);
  return result;
}

void UpperCaseInPlace(std::string* text) {
  for (char& c : *text) {
    c = static_cast<char>(kUpperTable[static_cast<unsigned char>(c)]);
  }
}

std::string ConsoleNumber(int64_t value) {
  std::string digits = std::to_string(value);
  return value < 0 ? digits : " " + digits;
}

std::string ShownName(std::string_view name) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char byte = ByteAt(name, i);
    if (byte < 0x20 || byte == 0x7F) {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 15];
    } else {
      shown += static_cast<char>(byte);
    }
  }
  return shown;
}

}  // namespace mavoscan
