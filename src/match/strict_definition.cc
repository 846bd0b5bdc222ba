#include "match/strict_definition.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/records.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {
namespace {

constexpr std::string_view kRoot = "\\Mavo";
constexpr std::string_view kBytesPath = "\\Mavo\\FrontBlock\\Pattern\\Bytes";
constexpr std::string_view kPosPath = "\\Mavo\\FrontBlock\\Pattern\\Pos";
constexpr std::string_view kStringPath = "\\Mavo\\GlobalStrings\\String";
constexpr std::string_view kFileTypePath = "\\Mavo\\Info\\FileType";
constexpr std::string_view kCheckStringsPath = "\\Mavo\\General\\CheckStrings";
// Longer values are cut in messages, so that a line stays a line.
constexpr size_t kShownValue = 40;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A value as a message shows it: quoted, control bytes as \xHH, cut short.
std::string Shown(std::string_view value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "\"";
  for (size_t i = 0; i < value.size() && i < kShownValue; ++i) {
    const unsigned char byte = static_cast<unsigned char>(value[i]);
    if (byte < 0x20 || byte == 0x7F) {
      text += "\\x";
      text += kDigits[byte >> 4];
      text += kDigits[byte & 15];
    } else {
      text += static_cast<char>(byte);
    }
  }
  return text + (value.size() > kShownValue ? "...\"" : "\"");
}

// The checks of one pattern's parts, in document order: Bytes, then Pos.
class PatternReader {
 public:
  // Returns false with *err set at the first part that is not as the
  // scanner writes it.
  bool Add(bool is_pos, std::string_view value, std::string* err) {
    if (!is_pos) {
      const std::string number =
          "pattern " + std::to_string(patterns_.size() + 1);
      if (bytes_) {
        *err = number_ + " has Bytes but no Pos";
        return false;
      }
      if (value.size() % 2 != 0) {
        *err = "Bytes " + Shown(value) + " of " + number +
               " has an odd number of digits";
        return false;
      }
      std::string bytes(value.size() / 2, '\0');
      for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigit(value[2 * i]);
        const int low = HexDigit(value[2 * i + 1]);
        if (high < 0 || low < 0) {
          *err =
              "Bytes " + Shown(value) + " of " + number + " is not hexadecimal";
          return false;
        }
        bytes[i] = static_cast<char>(high * 16 + low);
      }
      bytes_ = std::move(bytes);
      number_ = number;
      return true;
    }
    if (!bytes_) {
      *err = "Pos " + Shown(value) + " has no Bytes before it";
      return false;
    }
    int64_t pos = 0;
    bool decimal = !value.empty();
    for (char c : value) {
      decimal = decimal && c >= '0' && c <= '9';
      // Capped: any larger value is out of range all the same.
      if (decimal) pos = std::min<int64_t>(pos * 10 + (c - '0'), 1 << 20);
    }
    if (!decimal || pos >= kFrontBlockSize) {
      *err = "Pos " + Shown(value) + " of " + number_ +
             " is not a decimal number from 0 to " +
             std::to_string(kFrontBlockSize - 1);
      return false;
    }
    if (pos + static_cast<int64_t>(bytes_->size()) > kFrontBlockSize) {
      *err = number_ + " (Pos " + std::to_string(pos) + ", " +
             std::to_string(bytes_->size()) +
             " bytes) reaches past the front block of " +
             std::to_string(kFrontBlockSize) + " bytes";
      return false;
    }
    patterns_.push_back({std::move(*bytes_), pos});
    bytes_.reset();
    return true;
  }

  // Returns false with *err set when the last Bytes had no Pos.
  bool Finish(std::string* err) {
    if (!bytes_) return true;
    *err = number_ + " has Bytes but no Pos";
    return false;
  }

  std::vector<DefinitionPattern> Take() { return std::move(patterns_); }

 private:
  std::vector<DefinitionPattern> patterns_;
  std::optional<std::string> bytes_;
  std::string number_;
};

}  // namespace

bool ReadStrictDefinition(Platform& platform, const std::string& path,
                          DefinitionContent* content, std::string* err) {
  std::string text;
  if (!platform.ReadWholeFile(path, &text)) {
    *err = "cannot read the definition " + path;
    const std::string reason = platform.FailureReason();
    if (!reason.empty()) *err += " (" + reason + ")";
    return false;
  }
  *content = DefinitionContent();
  PatternReader patterns;
  bool rooted = true;
  bool any = false;
  std::optional<std::string> check_strings;
  std::string problem;
  ScanXmlEntries(
      std::move(text), [&](std::string_view entry, std::string_view value) {
        if (!problem.empty() || !rooted) return;
        any = true;
        // Every text lies inside the one root, as the writer puts it.
        if (entry != kRoot && !entry.starts_with(std::string(kRoot) + "\\")) {
          rooted = false;
          return;
        }
        if (entry == kBytesPath || entry == kPosPath) {
          patterns.Add(entry == kPosPath, value, &problem);
        } else if (entry == kStringPath) {
          content->strings.emplace_back(value);
        } else if (entry == kFileTypePath && content->file_type.empty()) {
          content->file_type = value;
        } else if (entry == kCheckStringsPath && !check_strings) {
          check_strings = std::string(value);
        }
      });
  if (!any || !rooted) {
    *err = path + " is not a definition: it has no Mavo root element";
    return false;
  }
  if (problem.empty()) patterns.Finish(&problem);
  content->patterns = patterns.Take();
  if (problem.empty() && content->patterns.empty()) {
    problem = "it has no FrontBlock with a pattern";
  }
  if (problem.empty() && check_strings && *check_strings != "True" &&
      *check_strings != "False") {
    problem =
        "CheckStrings " + Shown(*check_strings) + " is neither True nor False";
  }
  if (!problem.empty()) {
    *err = path + " is malformed: " + problem;
    return false;
  }
  content->check_strings = check_strings == "True";
  return true;
}

}  // namespace mavoscan
