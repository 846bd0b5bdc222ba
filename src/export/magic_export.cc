#include "export/magic_export.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace mavoscan {
namespace {

// libmagic adds this much strength per byte of a string test.
constexpr size_t kStrengthPerByte = 10;
// `!:strength` takes a value up to this.
constexpr size_t kMaxStrength = 255;

struct MagicTest {
  int64_t offset = 0;
  std::string type;
  std::string value;
};

bool IsPlainByte(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '.' || byte == '-' ||
         byte == '_' || byte == '+' || byte == ':' || byte == '/' ||
         byte == ',';
}

// Letters, digits and a few marks as themselves, every other byte as \xHH:
// a value beginning with <, >, =, !, &, ^ or ~ would be read as a
// comparison, a backslash starts an escape, and a space or tab would end
// the value. A lone "x" means "any value".
std::string MagicValue(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string value;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = ByteAt(bytes, i);
    if (IsPlainByte(byte) && !(bytes.size() == 1 && byte == 'x')) {
      value.push_back(static_cast<char>(byte));
    } else {
      value += "\\x";
      value.push_back(kDigits[byte >> 4]);
      value.push_back(kDigits[byte & 0x0F]);
    }
  }
  return value;
}

// libmagic takes "%" in a message for a printf format of the tested value
// and refuses the entry when the format does not suit a string, "%%"
// included; so "%", control bytes and bytes outside ASCII become "?".
std::string MagicMessage(std::string_view name) {
  std::string message;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char byte = ByteAt(name, i);
    const bool plain = byte >= 0x20 && byte < 0x7F && byte != '%';
    message.push_back(plain ? static_cast<char>(byte) : '?');
  }
  // libmagic drops the spaces that begin or end a message.
  const size_t first = message.find_first_not_of(' ');
  message =
      first == std::string::npos
          ? ""
          : message.substr(first, message.find_last_not_of(' ') + 1 - first);
  if (message.empty()) message = "data of a MavoScan definition";
  return message;
}

void AddPatternTests(const PlannedPattern& pattern,
                     std::vector<MagicTest>* tests) {
  for (size_t at = 0; at < pattern.bytes.size(); at += kMagicValueLength) {
    const std::string_view chunk =
        std::string_view(pattern.bytes).substr(at, kMagicValueLength);
    tests->push_back(
        {pattern.pos + static_cast<int64_t>(at), "string", MagicValue(chunk)});
  }
}

}  // namespace

ExportResult ExportMagic(const DefinitionContent& definition,
                         const ExportPlan& plan) {
  ExportResult result;
  std::vector<MagicTest> tests;
  for (const PlannedPattern& pattern : plan.patterns) {
    AddPatternTests(pattern, &tests);
  }
  std::vector<size_t> long_strings;
  std::vector<size_t> cp437_strings;
  for (const PlannedString& planned : plan.strings) {
    const size_t length = planned.bytes.size();
    if (length > kMagicValueLength) {
      // A longer search cannot be split: its pieces could match apart.
      // Their first bytes are what the consumer checks.
      long_strings.push_back(planned.number);
    }
    if (planned.cp437_letters) cp437_strings.push_back(planned.number);
    const std::string_view searched =
        std::string_view(planned.bytes).substr(0, kMagicValueLength);
    // Start positions 0 to head_length - length: the string lies in the
    // head the string passes read of any file, however large.
    const int64_t range = std::max<int64_t>(
        plan.head_length - static_cast<int64_t>(searched.size()) + 1, 1);
    // With /c, a lower case letter in the value matches either case and an
    // upper case one only itself.
    tests.push_back({0, "search/" + std::to_string(range) + "/c",
                     MagicValue(AsciiLower(searched))});
  }

  const size_t first_informative = InformativeBytes(
      std::string_view(plan.patterns[0].bytes).substr(0, kMagicValueLength));
  const size_t strength =
      std::min(kMaxStrength,
               kStrengthPerByte * (plan.informative_bytes - first_informative));

  std::string& text = result.text;
  const std::string message = MagicMessage(plan.name);
  text = "# " + message + ": exported from a MavoScan definition of " +
         std::to_string(definition.file_num) + " files\n";
  result.label = message;
  for (size_t level = 0; level < tests.size(); ++level) {
    const MagicTest& test = tests[level];
    text.append(level, '>');
    text += std::to_string(test.offset) + "\t" + test.type + "\t" + test.value;
    if (level + 1 == tests.size()) text += "\t" + message;
    text += "\n";
    if (level == 0 && strength > 0) {
      text += "!:strength +" + std::to_string(strength) + "\n";
    }
  }
  const std::string ext = PlainExtension(definition.ext);
  if (!ext.empty()) text += "!:ext\t" + ext + "\n";

  if (!plan.strings.empty()) {
    result.losses.push_back(ReadWindowLoss(
        plan, plan.head_length,
        "a magic test cannot tell a file's size, so the search keeps to the "
        "part the definition reads of any file"));
  }
  if (!long_strings.empty()) {
    result.losses.push_back(StringLoss(
        LossKind::kStringLimit, long_strings,
        "longer than a magic value (" + std::to_string(kMagicValueLength) +
            " bytes): only the first " + std::to_string(kMagicValueLength) +
            " bytes are looked for"));
  }
  if (!cp437_strings.empty()) {
    result.losses.push_back(StringLoss(
        LossKind::kCodePage437, cp437_strings,
        "holds code page 437 letters, which magic compares exactly where "
        "the definition folds their case"));
  }
  return result;
}

}  // namespace mavoscan
