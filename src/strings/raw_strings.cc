#include "strings/raw_strings.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

// Bit 0: a string byte; bit 1: a string byte other than a pad.
constexpr unsigned char kStringByte = 1;
constexpr std::array<unsigned char, 256> MakeByteKinds() {
  std::array<unsigned char, 256> kinds{};
  for (int b = 0; b < 256; ++b) {
    if (!kStringByteTable[b]) continue;
    kinds[b] = kStringByte;
    if (b != 0 && b != ' ') kinds[b] |= 2;
  }
  return kinds;
}
constexpr std::array<unsigned char, 256> kByteKinds = MakeByteKinds();

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
  const unsigned char* bytes =
      reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  auto keep = [&](size_t end, size_t length) {
    std::string_view field = text.substr(end - length, length);
    if (TrimPads(field).size() >= kMinStringLength) raw->push_back(field);
  };
  // Binary samples hold millions of short fields and long runs of NUL: count
  // fields without a branch per field, and look closer only at those of 4
  // bytes or more with a byte other than a pad.
  size_t delimiters = 0;
  size_t run = 0;     // length of the field so far
  size_t solids = 0;  // its bytes other than pads
  for (size_t i = 0; i < n; ++i) {
    const unsigned char kind = kByteKinds[bytes[i]];
    const size_t in_field = kind & kStringByte;
    if ((in_field == 0) & (solids != 0) & (run >= kMinStringLength)) {
      keep(i, run);
    }
    delimiters += 1 - in_field;
    const size_t mask = 0 - in_field;  // all ones inside a field
    run = (run + 1) & mask;
    solids = (solids + (kind >> 1)) & mask;
  }
  if (solids != 0 && run >= kMinStringLength) keep(n, run);
  return static_cast<int64_t>(delimiters) + 1;
}

std::vector<std::string_view> AcceptRawStrings(
    std::vector<std::string_view> raw) {
  // string_view compares bytes as unsigned char, a proper prefix first. The
  // first 8 bytes as a number (zero-padded) settle most comparisons.
  struct Keyed {
    uint64_t key;
    std::string_view text;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(raw.size());
  for (std::string_view s : raw) {
    uint64_t key = 0;
    for (size_t i = 0; i < 8; ++i) {
      key = key << 8 | (i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    }
    keyed.push_back({key, s});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : a.text < b.text;
  });
  for (size_t i = 0; i < keyed.size(); ++i) raw[i] = keyed[i].text;
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
