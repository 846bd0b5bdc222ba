#include "xmlread/definition_loader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "common/records.h"
#include "common/text.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {
namespace {

constexpr char kRootPrefix[] = "\\Mavo";

// The single-valued elements the loader reads; the first occurrence counts.
enum Field {
  kFileType,
  kUser,
  kEMail,
  kHome,
  kRem,
  kRefUrl,
  kFileNum,
  kRefine,
  kCheckStrings,
  kExt,
  kCreator,
  kFieldCount
};

constexpr std::array<std::string_view, kFieldCount> kFieldPaths = {
    "\\Mavo\\Info\\FileType",        "\\Mavo\\Info\\User",
    "\\Mavo\\Info\\E-Mail",          "\\Mavo\\Info\\Home",
    "\\Mavo\\Info\\ExtraInfo\\Rem",  "\\Mavo\\Info\\ExtraInfo\\RefURL",
    "\\Mavo\\General\\FileNum",      "\\Mavo\\General\\Refine",
    "\\Mavo\\General\\CheckStrings", "\\Mavo\\Info\\Ext",
    "\\Mavo\\General\\Creator",
};
constexpr std::string_view kBytesPath = "\\Mavo\\FrontBlock\\Pattern\\Bytes";
constexpr std::string_view kPosPath = "\\Mavo\\FrontBlock\\Pattern\\Pos";
constexpr std::string_view kStringPath = "\\Mavo\\GlobalStrings\\String";

struct PatternPart {
  bool is_pos = false;
  std::string value;
};

// What the loader uses from a definition's entries. Only these values are
// kept, in document order, rather than every entry with its path: a file of
// any shape then costs memory in proportion to its size.
struct DefinitionEntries {
  int64_t count = 0;
  bool rooted = false;
  std::array<std::optional<std::string>, kFieldCount> fields;
  std::vector<PatternPart> pattern_parts;
  std::vector<std::string> strings;
};

DefinitionEntries CollectEntries(std::string text, bool keep_strings) {
  DefinitionEntries found;
  ScanXmlEntries(
      std::move(text),
      [&found, keep_strings](std::string_view path, std::string_view value) {
        if (++found.count == 1) found.rooted = path.starts_with(kRootPrefix);
        if (path == kBytesPath || path == kPosPath) {
          found.pattern_parts.push_back({path == kPosPath, std::string(value)});
          return;
        }
        if (path == kStringPath) {
          if (keep_strings) found.strings.emplace_back(value);
          return;
        }
        for (int field = 0; field < kFieldCount; ++field) {
          if (path == kFieldPaths[field] && !found.fields[field].has_value()) {
            found.fields[field] = std::string(value);
            return;
          }
        }
      });
  return found;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number at the start of `text` (after spaces, tabs and line
// feeds): optional sign, digits with an optional fraction, an optional
// exponent; reading stops at the first byte that cannot continue it. The
// value is rounded half to even and kept within 32 bits, saturating rather
// than wrapping. Text without a number gives 0.
int32_t ReadDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The value is 0.<digits> times 10 to the power `point`; leading zeros
  // are not kept, so `point` counts the digits before the decimal point.
  std::string digits;
  int64_t point = 0;
  bool any_digit = false;
  bool after_point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !after_point) {
      after_point = true;
      continue;
    }
    if (!IsDigit(c)) break;
    any_digit = true;
    if (digits.empty() && c == '0') {
      if (after_point) --point;
      continue;
    }
    digits.push_back(c);
    if (!after_point) ++point;
  }
  if (!any_digit || digits.empty()) return 0;

  // An exponent counts only when at least one digit follows its letter
  // and sign; "12e" reads as 12.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    bool exponent_negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      exponent_negative = text[j] == '-';
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      int64_t exponent = 0;
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        // Far beyond any 32-bit value either way; capped so it cannot
        // overflow.
        exponent = std::min<int64_t>(exponent * 10 + (text[j] - '0'), 1000000);
      }
      point += exponent_negative ? -exponent : exponent;
    }
  }

  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
  // Ten integer digits already exceed the 32-bit range; more cannot be held.
  if (point > 10) return negative ? static_cast<int32_t>(kMin) : kMax;

  int64_t magnitude = 0;
  for (int64_t d = 0; d < point; ++d) {
    const size_t at = static_cast<size_t>(d);
    magnitude = magnitude * 10 + (at < digits.size() ? digits[at] - '0' : 0);
  }
  // Round half to even on the fraction digits.
  if (point >= 0 && static_cast<size_t>(point) < digits.size()) {
    const size_t first = static_cast<size_t>(point);
    const char lead = digits[first];
    const bool beyond_half =
        digits.find_first_not_of('0', first + 1) != std::string::npos;
    if (lead > '5' || (lead == '5' && (beyond_half || magnitude % 2 == 1))) {
      ++magnitude;
    }
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::clamp(value, kMin, kMax));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The byte written as the pair at `at`: reading stops at the first
// character that is not a hexadecimal digit, so "4G" gives 4 and "G4" 0.
char HexPair(const std::string& hex, size_t at) {
  const int high = HexDigit(hex[at]);
  if (high < 0) return 0;
  const int low = HexDigit(hex[at + 1]);
  return static_cast<char>(low < 0 ? high : high * 16 + low);
}

// Pairs each Bytes entry with the first Pos entry after it, so two Bytes
// entries followed by one Pos share that offset. Returns false for a Bytes
// entry with no Pos after it.
bool PairPatterns(const std::vector<PatternPart>& parts,
                  std::vector<DefinitionPattern>* patterns) {
  size_t pos_at = 0;
  for (size_t b = 0; b < parts.size(); ++b) {
    if (parts[b].is_pos) continue;
    // The Pos search never moves back, so many Bytes entries before one Pos
    // do not make the walk quadratic.
    pos_at = std::max(pos_at, b + 1);
    while (pos_at < parts.size() && !parts[pos_at].is_pos) ++pos_at;
    if (pos_at == parts.size()) return false;

    const std::string& hex = parts[b].value;
    DefinitionPattern pattern;
    pattern.bytes.resize(hex.size() / 2);
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      pattern.bytes[i] = HexPair(hex, 2 * i);
    }
    pattern.pos = ReadDecimal(parts[pos_at].value);
    patterns->push_back(std::move(pattern));
  }
  return true;
}

// Marks and stores the patterns in the front block.
void ApplyPatterns(const std::vector<DefinitionPattern>& patterns,
                   BaseDefinition* base) {
  PositionLimit& positions = base->positions;
  std::string& block = base->base_block;
  const int64_t size = static_cast<int64_t>(positions.size());
  // Only the last pattern read decides the length, not the furthest one.
  int64_t end = 0;
  for (const DefinitionPattern& pattern : patterns) {
    const int64_t length = static_cast<int64_t>(pattern.bytes.size());
    const int64_t offset = pattern.pos;
    // Bytes that fall before offset 0 or beyond the front block are
    // dropped; the strings never grow.
    const int64_t first = std::max<int64_t>(offset, 0);
    const int64_t last = std::min(offset + length, size);
    for (int64_t at = first; at < last; ++at) {
      positions.Allow(static_cast<size_t>(at));
      block[static_cast<size_t>(at)] =
          pattern.bytes[static_cast<size_t>(at - offset)];
    }
    end = offset + length;
  }
  const int64_t cut = std::max<int64_t>(end, 0);
  if (cut < size) {
    positions.Shorten(static_cast<size_t>(cut));
    block.resize(static_cast<size_t>(cut));
  }
}

// Reads and checks what LoadDefinition and ReadDefinitionContent share.
bool ReadEntries(Platform& platform, const std::string& name, bool keep_strings,
                 DefinitionEntries* found,
                 std::vector<DefinitionPattern>* patterns, std::string* err) {
  std::string text;
  if (!ReadXmlText(platform, name, &text)) {
    *err = "cannot read the definition " + name;
    return false;
  }
  *found = CollectEntries(std::move(text), keep_strings);
  // Only the root's name is checked, and only its first five bytes: a BOM,
  // a declaration followed by a lone line feed or any text before the root
  // gives entry 1 the empty path.
  if (found->count == 0 || !found->rooted) {
    *err = name + " is not a definition: it has no Mavo root element";
    return false;
  }
  if (!PairPatterns(found->pattern_parts, patterns)) {
    *err = name + " is malformed: a pattern's Bytes have no Pos after them";
    return false;
  }
  return true;
}

}  // namespace

bool LoadDefinition(Platform& platform, const std::string& name,
                    StringMode mode, BaseDefinition* base) {
  // The front block starts with every position excluded; the patterns
  // admit theirs.
  base->positions = PositionLimit(kFrontBlockSize);
  base->base_block.assign(kFrontBlockSize, ' ');

  const bool inherit_strings = mode == StringMode::kInherit;
  DefinitionEntries found;
  std::vector<DefinitionPattern> patterns;
  std::string err;
  if (!ReadEntries(platform, name, inherit_strings, &found, &patterns, &err)) {
    return false;
  }

  // A field the file lacks keeps its value.
  auto copy = [&found](Field field, std::string* target) {
    if (found.fields[field].has_value()) *target = *found.fields[field];
  };
  copy(kFileType, &base->file_type);
  copy(kUser, &base->user);
  copy(kEMail, &base->email);
  copy(kHome, &base->home);
  copy(kRem, &base->rem);
  copy(kRefUrl, &base->ref_url);
  copy(kRefine, &base->refine);
  if (found.fields[kFileNum].has_value()) {
    base->file_num = ReadDecimal(*found.fields[kFileNum]);
  }

  ApplyPatterns(patterns, base);

  base->check_strings = found.fields[kCheckStrings] == "True";
  if (inherit_strings && base->check_strings) {
    for (const std::string& value : found.strings) {
      base->raw_strings.push_back(SearchedString(value));
    }
  }
  return true;
}

bool ReadDefinitionContent(Platform& platform, const std::string& name,
                           DefinitionContent* content, std::string* err) {
  DefinitionEntries found;
  if (!ReadEntries(platform, name, /*keep_strings=*/true, &found,
                   &content->patterns, err)) {
    return false;
  }
  content->file_type = found.fields[kFileType].value_or("");
  content->ext = found.fields[kExt].value_or("");
  content->user = found.fields[kUser].value_or("");
  content->creator = found.fields[kCreator].value_or("");
  if (found.fields[kFileNum].has_value()) {
    content->file_num = ReadDecimal(*found.fields[kFileNum]);
  }
  content->check_strings = found.fields[kCheckStrings] == "True";
  content->strings = std::move(found.strings);
  return true;
}

std::string SearchedString(std::string_view written) {
  std::string upper(written);
  // The writer stores NUL bytes as apostrophes.
  std::replace(upper.begin(), upper.end(), '\'', '\0');
  UpperCaseInPlace(&upper);
  return upper;
}

}  // namespace mavoscan
