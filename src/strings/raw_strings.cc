#include "strings/raw_strings.h"

#include <algorithm>
#include <array>

namespace mavoscan {
namespace {

constexpr std::string_view kStringBytes =
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890-+_.$(){}~"
    "*%";

constexpr std::array<bool, 256> MakeStringByteTable() {
  std::array<bool, 256> table{};
  table[0] = true;
  for (char c : kStringBytes) table[static_cast<unsigned char>(c)] = true;
  return table;
}

constexpr std::array<bool, 256> kStringByteTable = MakeStringByteTable();

}  // namespace

bool IsStringByte(unsigned char byte) { return kStringByteTable[byte]; }

std::string_view TrimPads(std::string_view s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && IsPadByte(s[begin])) ++begin;
  while (end > begin && IsPadByte(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

int64_t CutRawStrings(std::string_view text,
                      std::vector<std::string_view>* raw) {
  int64_t fields = 1;
  size_t start = 0;
  auto end_field = [&](size_t end) {
    std::string_view field = text.substr(start, end - start);
    if (TrimPads(field).size() >= kMinStringLength) raw->push_back(field);
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (!kStringByteTable[static_cast<unsigned char>(text[i])]) {
      end_field(i);
      start = i + 1;
      ++fields;
    }
  }
  end_field(text.size());
  return fields;
}

std::vector<std::string_view> AcceptRawStrings(
    std::vector<std::string_view> raw) {
  // string_view compares bytes as unsigned char, a proper prefix first.
  std::sort(raw.begin(), raw.end());
  raw.erase(std::unique(raw.begin(), raw.end()), raw.end());
  std::vector<std::string_view> accepted;
  std::string_view previous;
  for (std::string_view entry : raw) {
    std::string_view r = TrimPads(entry);
    if (r.size() < kMinStringLength || r == previous) continue;
    accepted.push_back(r);
    previous = r;
  }
  return accepted;
}

}  // namespace mavoscan
