#include "export/yara_export.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace mavoscan {
namespace {

// Words of the rule language, which cannot name a rule.
constexpr std::array<std::string_view, 50> kKeywords = {
    "all",      "and",        "any",       "ascii",     "at",
    "base64",   "base64wide", "condition", "contains",  "defined",
    "endswith", "entrypoint", "false",     "filesize",  "for",
    "fullword", "global",     "icontains", "iendswith", "iequals",
    "import",   "in",         "include",   "int16",     "int16be",
    "int32",    "int32be",    "int8",      "int8be",    "istartswith",
    "matches",  "meta",       "nocase",    "none",      "not",
    "of",       "or",         "private",   "rule",      "startswith",
    "strings",  "them",       "true",      "uint16",    "uint16be",
    "uint32",   "uint32be",   "uint8",     "uint8be",   "wide"};

bool IsWordByte(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '_';
}

bool IsKeyword(std::string_view word) {
  return std::find(kKeywords.begin(), kKeywords.end(), word) != kKeywords.end();
}

bool ValidRuleName(std::string_view name) {
  if (name.empty() || name.size() > kYaraMaxName) return false;
  if (name[0] >= '0' && name[0] <= '9') return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (!IsWordByte(ByteAt(name, i))) return false;
  }
  return !IsKeyword(name);
}

// A rule name made from a description: every run of other bytes becomes
// "_", and a name that would begin with a digit or be a keyword gets a "_"
// in front.
std::string RuleNameFrom(std::string_view text) {
  std::string name;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = ByteAt(text, i);
    if (IsWordByte(byte)) {
      name.push_back(static_cast<char>(byte));
    } else if (!name.empty() && name.back() != '_') {
      name.push_back('_');
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  if (name.empty()) name = "mavo_definition";
  if ((name[0] >= '0' && name[0] <= '9') || IsKeyword(name)) {
    name.insert(0, "_");
  }
  if (name.size() > kYaraMaxName) name.resize(kYaraMaxName);
  return name;
}

std::string Hex2(unsigned char byte) {
  return HexBytes(std::string_view(reinterpret_cast<const char*>(&byte), 1));
}

// A text string's body: printable ASCII as itself, " and \ escaped, every
// other byte as \xHH.
std::string YaraText(std::string_view bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = ByteAt(bytes, i);
    if (byte == '"' || byte == '\\') {
      text.push_back('\\');
      text.push_back(static_cast<char>(byte));
    } else if (byte >= 0x20 && byte < 0x7F) {
      text.push_back(static_cast<char>(byte));
    } else {
      text += "\\x" + Hex2(byte);
    }
  }
  return text;
}

// The string's definition after "$sN = ". nocase folds ASCII letters only,
// so a string with code page 437 letters is written as hexadecimal bytes
// with each letter's two cases as alternatives.
std::string YaraString(const PlannedString& planned) {
  if (!planned.cp437_letters) {
    std::string text = "\"" + YaraText(planned.bytes) + "\"";
    if (planned.ascii_letters) text += " nocase";
    return text;
  }
  std::string hex = "{";
  for (size_t i = 0; i < planned.bytes.size(); ++i) {
    const unsigned char byte = ByteAt(planned.bytes, i);
    const unsigned char other = ByteAt(planned.other_case, i);
    hex += ' ';
    if (other == byte) {
      hex += Hex2(byte);
    } else {
      hex += "(" + Hex2(byte) + "|" + Hex2(other) + ")";
    }
  }
  return hex + " }";
}

// Conditions that the pattern's bytes lie at its offset, four at a time.
void AddPatternConditions(const PlannedPattern& pattern,
                          std::vector<std::string>* conditions) {
  const std::string_view bytes = pattern.bytes;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t left = bytes.size() - at;
    const size_t width = left >= 4 ? 4 : (left >= 2 ? 2 : 1);
    const std::string function =
        width == 4 ? "uint32be" : (width == 2 ? "uint16be" : "uint8");
    conditions->push_back(
        function + "(" +
        std::to_string(pattern.pos + static_cast<int64_t>(at)) + ") == 0x" +
        HexBytes(bytes.substr(at, width)));
    at += width;
  }
}

std::string MetaText(std::string_view value) {
  return "\"" + YaraText(value) + "\"";
}

}  // namespace

bool ExportYara(const DefinitionContent& definition, const ExportPlan& plan,
                bool name_requested, ExportResult* result, std::string* err) {
  if (name_requested && !ValidRuleName(plan.name)) {
    *err = "\"" + plan.name +
           "\" is not a YARA rule name: it needs letters, digits and _ only, "
           "not a digit first, at most " +
           std::to_string(kYaraMaxName) + " of them, and no keyword";
    return false;
  }
  const std::string rule = name_requested ? plan.name : RuleNameFrom(plan.name);

  std::vector<std::string> conditions;
  for (const PlannedPattern& pattern : plan.patterns) {
    AddPatternConditions(pattern, &conditions);
  }
  const size_t kept = std::min(plan.strings.size(), kYaraMaxStrings);
  std::string strings;
  for (size_t i = 0; i < kept; ++i) {
    const PlannedString& planned = plan.strings[i];
    const std::string id = "$s" + std::to_string(planned.number);
    strings += "    " + id + " = " + YaraString(planned) + "\n";
    const int64_t length = static_cast<int64_t>(planned.bytes.size());
    // A string counts where the string passes find it: anywhere in a file
    // up to kWholeReadLimit bytes, else wholly within the head or the tail
    // they read (the two apart). "in" ranges hold the offsets at which the
    // string starts, both ends included.
    std::string condition =
        "(filesize <= " + std::to_string(kWholeReadLimit) + " and " + id + ")";
    if (length <= plan.head_length) {
      condition += " or " + id + " in (0.." +
                   std::to_string(plan.head_length - length) + ")";
    }
    if (length <= plan.tail_length) {
      condition += " or " + id + " in (filesize-" +
                   std::to_string(plan.tail_length) + "..filesize-" +
                   std::to_string(length) + ")";
    }
    conditions.push_back("(" + condition + ")");
  }

  result->label = rule;
  std::string& text = result->text;
  text = "rule " + rule + "\n{\n  meta:\n";
  text += "    description = " + MetaText(definition.file_type) + "\n";
  text += "    file_count = " + std::to_string(definition.file_num) + "\n";
  if (!definition.user.empty()) {
    text += "    author = " + MetaText(definition.user) + "\n";
  }
  if (!definition.creator.empty()) {
    text += "    creator = " + MetaText(definition.creator) + "\n";
  }
  const std::string ext = PlainExtension(definition.ext);
  if (!ext.empty()) text += "    extension = " + MetaText(ext) + "\n";
  if (!strings.empty()) text += "  strings:\n" + strings;
  text += "  condition:\n";
  for (size_t i = 0; i < conditions.size(); ++i) {
    text += "    " + conditions[i];
    text += i + 1 < conditions.size() ? " and\n" : "\n";
  }
  text += "}\n";

  if (kept < plan.strings.size()) {
    std::vector<size_t> dropped;
    for (size_t i = kept; i < plan.strings.size(); ++i) {
      dropped.push_back(plan.strings[i].number);
    }
    result->losses.push_back(StringLoss(LossKind::kStringLimit, dropped,
                                        "left out: a YARA rule holds at most " +
                                            std::to_string(kYaraMaxStrings) +
                                            " strings"));
  }
  return true;
}

}  // namespace mavoscan
