#include "export/mime_export.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace mavoscan {
namespace {

// The priority of a signature that says little; each informative byte adds
// kPriorityPerByte, up to 90: the top ten are left to hand-made entries
// that must win over any other.
constexpr size_t kBasePriority = 30;
constexpr size_t kPriorityPerByte = 2;
constexpr size_t kMaxPriority = 90;
// libxml2, which reads the package, refuses elements nested deeper than
// 256; the package's own elements take three of those levels.
constexpr size_t kMaxMatchDepth = 250;

bool IsTokenByte(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') || byte == '.' || byte == '+' ||
         byte == '-' || byte == '_';
}

bool ValidMimeType(std::string_view type) {
  const size_t slash = type.find('/');
  if (slash == std::string_view::npos || slash == 0 ||
      slash + 1 == type.size()) {
    return false;
  }
  for (size_t i = 0; i < type.size(); ++i) {
    if (i != slash && !IsTokenByte(ByteAt(type, i))) return false;
  }
  return true;
}

// "application/x-" and the name in lower case, each run of bytes other than
// letters and digits as one "-".
std::string MimeTypeFrom(std::string_view name) {
  std::string subtype;
  const std::string lower = AsciiLower(name);
  for (char c : lower) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      subtype.push_back(c);
    } else if (!subtype.empty() && subtype.back() != '-') {
      subtype.push_back('-');
    }
  }
  while (!subtype.empty() && subtype.back() == '-') subtype.pop_back();
  if (subtype.empty()) subtype = "mavo-definition";
  return "application/x-" + subtype;
}

// A string value: printable ASCII as itself (backslash and the XML
// specials excepted), every other byte as \xHH.
std::string MimeValue(std::string_view bytes) {
  std::string value;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = ByteAt(bytes, i);
    const bool plain = byte > 0x20 && byte < 0x7F && byte != '\\' &&
                       byte != '&' && byte != '<' && byte != '>' && byte != '"';
    if (plain) {
      value.push_back(static_cast<char>(byte));
    } else {
      value += "\\x" + HexBytes(bytes.substr(i, 1));
    }
  }
  return value;
}

struct MimeMatch {
  std::string offset;
  std::string value;
  std::string mask;  // empty: every bit compared
};

// The mask that folds the string's letters where one bit tells the two
// cases apart (every ASCII letter, and code page 437 letters 164 and 165),
// and the number of the string when some letter is left exact.
std::string FoldingMask(const PlannedString& planned, bool* unfolded) {
  std::string mask;
  bool any = false;
  *unfolded = false;
  for (size_t i = 0; i < planned.bytes.size(); ++i) {
    const unsigned char byte = ByteAt(planned.bytes, i);
    const unsigned char other = ByteAt(planned.other_case, i);
    const unsigned char differ = byte ^ other;
    unsigned char bits = 0xFF;
    if (differ != 0 && (differ & (differ - 1)) == 0) {
      bits = static_cast<unsigned char>(~differ);
      any = true;
    } else if (differ != 0) {
      *unfolded = true;
    }
    mask.push_back(static_cast<char>(bits));
  }
  return any ? "0x" + HexBytes(mask) : "";
}

// The patterns as one match when they do not overlap: a value from the
// first pattern's offset to the last one's end, the bytes between them
// masked out. Each pattern is a match of its own otherwise.
std::vector<MimeMatch> PatternMatches(
    const std::vector<PlannedPattern>& patterns) {
  int64_t first = patterns[0].pos;
  int64_t end = 0;
  for (const PlannedPattern& pattern : patterns) {
    first = std::min(first, pattern.pos);
    end =
        std::max(end, pattern.pos + static_cast<int64_t>(pattern.bytes.size()));
  }
  std::string value(static_cast<size_t>(end - first), '\0');
  std::string mask(value.size(), '\0');
  bool overlap = false;
  for (const PlannedPattern& pattern : patterns) {
    const size_t at = static_cast<size_t>(pattern.pos - first);
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      overlap |= mask[at + i] != '\0';
      mask[at + i] = '\xFF';
    }
    value.replace(at, pattern.bytes.size(), pattern.bytes);
  }
  std::vector<MimeMatch> matches;
  if (overlap) {
    for (const PlannedPattern& pattern : patterns) {
      matches.push_back(
          {std::to_string(pattern.pos), MimeValue(pattern.bytes), ""});
    }
    return matches;
  }
  const bool masked = mask.find('\0') != std::string::npos;
  matches.push_back({std::to_string(first), MimeValue(value),
                     masked ? "0x" + HexBytes(mask) : ""});
  return matches;
}

}  // namespace

bool ExportMime(const DefinitionContent& definition, const ExportPlan& plan,
                const std::string& mime_type, ExportResult* result,
                std::string* err) {
  if (!mime_type.empty() && !ValidMimeType(mime_type)) {
    *err = "\"" + mime_type +
           "\" is not a MIME type: it needs the form type/subtype with "
           "letters, digits and . + - _";
    return false;
  }
  const std::string type =
      mime_type.empty() ? MimeTypeFrom(plan.name) : mime_type;

  std::vector<MimeMatch> matches = PatternMatches(plan.patterns);
  std::vector<size_t> unfolded_strings;
  std::vector<size_t> dropped;
  for (const PlannedString& planned : plan.strings) {
    if (matches.size() >= kMaxMatchDepth) {
      dropped.push_back(planned.number);
      continue;
    }
    bool unfolded = false;
    const std::string mask = FoldingMask(planned, &unfolded);
    if (unfolded) unfolded_strings.push_back(planned.number);
    // The database compares each start offset of the range, both ends
    // included; the whole string must lie in what the detection reads.
    const int64_t last = std::max<int64_t>(
        kMimeSniffLength - static_cast<int64_t>(planned.bytes.size()), 0);
    matches.push_back(
        {"0:" + std::to_string(last), MimeValue(planned.bytes), mask});
  }
  const size_t priority = std::min(
      kMaxPriority, kBasePriority + kPriorityPerByte * plan.informative_bytes);

  result->label = type;
  std::string& text = result->text;
  text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info "
      "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  text += "  <mime-type type=\"" + type + "\">\n";
  text += "    <comment>" + XmlText(plan.name) + "</comment>\n";
  const std::string ext = PlainExtension(definition.ext);
  if (!ext.empty()) text += "    <glob pattern=\"*." + ext + "\"/>\n";
  text += "    <magic priority=\"" + std::to_string(priority) + "\">\n";
  for (size_t i = 0; i < matches.size(); ++i) {
    const MimeMatch& match = matches[i];
    text.append(6 + 2 * i, ' ');
    text += "<match type=\"string\" offset=\"" + match.offset + "\" value=\"" +
            match.value + "\"";
    if (!match.mask.empty()) text += " mask=\"" + match.mask + "\"";
    text += i + 1 < matches.size() ? ">\n" : "/>\n";
  }
  for (size_t i = matches.size() - 1; i-- > 0;) {
    text.append(6 + 2 * i, ' ');
    text += "</match>\n";
  }
  text += "    </magic>\n  </mime-type>\n</mime-info>\n";

  if (!plan.strings.empty()) {
    result->losses.push_back(ReadWindowLoss(
        plan, kMimeSniffLength,
        "GLib's content type detection reads no more of a file"));
  }
  if (!dropped.empty()) {
    result->losses.push_back(
        StringLoss(LossKind::kStringLimit, dropped,
                   "left out: the database's XML reader takes matches nested " +
                       std::to_string(kMaxMatchDepth) + " deep at most"));
  }
  if (!unfolded_strings.empty()) {
    result->losses.push_back(StringLoss(
        LossKind::kCodePage437, unfolded_strings,
        "holds code page 437 letters whose two cases no mask can join, "
        "which the MIME database compares exactly where the definition "
        "folds their case"));
  }
  return true;
}

}  // namespace mavoscan
