#include "export/export_plan.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/text.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

// Per byte: the other byte that upper-cases to the same, or the byte
// itself. The scanner's upper-casing maps one lower case byte to each upper
// case one, so a byte has at most one other.
std::array<unsigned char, 256> OtherCaseTable() {
  std::array<unsigned char, 256> other{};
  for (int b = 0; b < 256; ++b) other[b] = static_cast<unsigned char>(b);
  for (int b = 0; b < 256; ++b) {
    const unsigned char upper = UpperByte(static_cast<unsigned char>(b));
    if (upper != b) {
      other[b] = upper;
      other[upper] = static_cast<unsigned char>(b);
    }
  }
  return other;
}

bool IsAsciiLetter(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

std::string NumberList(const std::vector<size_t>& numbers) {
  std::string text;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(numbers[i]);
  }
  return text;
}

}  // namespace

size_t InformativeBytes(std::string_view bytes) {
  size_t count = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    count += IsInformativeByte(ByteAt(bytes, i));
  }
  return count;
}

bool PlanExport(const DefinitionContent& definition,
                const ExportRequest& request, ExportPlan* plan,
                std::string* err) {
  *plan = ExportPlan();
  if (definition.patterns.empty()) {
    *err = "the definition has no pattern, so it matches every file";
    return false;
  }
  size_t best = 0;
  size_t best_informative = 0;
  for (size_t i = 0; i < definition.patterns.size(); ++i) {
    const DefinitionPattern& pattern = definition.patterns[i];
    if (pattern.pos < 0) {
      *err = "pattern " + std::to_string(i + 1) + " lies at offset " +
             std::to_string(pattern.pos) + ", before the start of any file";
      return false;
    }
    if (pattern.bytes.empty()) {
      *err = "pattern " + std::to_string(i + 1) + " has no bytes";
      return false;
    }
    const size_t informative = InformativeBytes(pattern.bytes);
    plan->informative_bytes += informative;
    const size_t best_length = definition.patterns[best].bytes.size();
    if (informative > best_informative ||
        (informative == best_informative &&
         pattern.bytes.size() > best_length)) {
      best = i;
      best_informative = informative;
    }
  }
  plan->patterns.push_back(
      {definition.patterns[best].pos, definition.patterns[best].bytes});
  for (size_t i = 0; i < definition.patterns.size(); ++i) {
    if (i == best) continue;
    plan->patterns.push_back(
        {definition.patterns[i].pos, definition.patterns[i].bytes});
  }

  if (definition.check_strings) {
    static const std::array<unsigned char, 256> kOther = OtherCaseTable();
    for (size_t i = 0; i < definition.strings.size(); ++i) {
      PlannedString planned;
      planned.number = i + 1;
      planned.bytes = SearchedString(definition.strings[i]);
      if (planned.bytes.empty()) continue;  // found in every file
      planned.other_case = planned.bytes;
      for (size_t at = 0; at < planned.bytes.size(); ++at) {
        const unsigned char byte = ByteAt(planned.bytes, at);
        const unsigned char other = kOther[byte];
        planned.other_case[at] = static_cast<char>(other);
        if (other == byte) continue;
        ++planned.letters;
        if (IsAsciiLetter(byte)) {
          planned.ascii_letters = true;
        } else {
          planned.cp437_letters = true;
        }
      }
      plan->informative_bytes += InformativeBytes(planned.bytes);
      plan->strings.push_back(std::move(planned));
    }
  }
  plan->name = request.name.empty() ? definition.file_type : request.name;
  const TextLayout large = SampleTextLayout(kWholeReadLimit + 1);
  plan->head_length = static_cast<int64_t>(large.head.length);
  plan->tail_length =
      large.tail.has_value() ? static_cast<int64_t>(large.tail->length) : 0;
  return true;
}

ExportLoss ReadWindowLoss(const ExportPlan& plan, int64_t window,
                          std::string_view reason) {
  std::vector<size_t> numbers;
  for (const PlannedString& planned : plan.strings) {
    numbers.push_back(planned.number);
  }
  std::string text = "looked for in the first " + std::to_string(window) +
                     " bytes of a file only (";
  text.append(reason).append("); the definition finds ");
  text += numbers.size() == 1 ? "it" : "them";
  text += " anywhere in a file of up to " + std::to_string(kWholeReadLimit) +
          " bytes and in the first " + std::to_string(plan.head_length) +
          " and last " + std::to_string(plan.tail_length) +
          " bytes of a larger one";
  ExportLoss loss = StringLoss(LossKind::kReadWindow, std::move(numbers), text);
  loss.read_window = window;
  return loss;
}

ExportLoss StringLoss(LossKind kind, std::vector<size_t> numbers,
                      std::string_view text) {
  ExportLoss loss;
  loss.kind = kind;
  loss.text = numbers.size() == 1 ? "string " : "strings ";
  loss.text += NumberList(numbers);
  loss.text += ' ';
  loss.text.append(text);
  loss.strings = std::move(numbers);
  return loss;
}

std::string HexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    hex.push_back(kDigits[ByteAt(bytes, i) >> 4]);
    hex.push_back(kDigits[ByteAt(bytes, i) & 0x0F]);
  }
  return hex;
}

std::string XmlText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = ByteAt(text, i);
    switch (byte) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte)
                                                  : '?');
    }
  }
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string PlainExtension(std::string_view ext) {
  std::string lower = AsciiLower(ext);
  for (char c : lower) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    if (!plain) return "";
  }
  return lower;
}

}  // namespace mavoscan
