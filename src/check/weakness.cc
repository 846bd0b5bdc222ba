#include "check/weakness.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "check/report_text.h"
#include "common/json_writer.h"
#include "common/text.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

// Fewer informative bytes than this make a definition weak.
constexpr size_t kFewInformativeBytes = 4;
// An estimated chance above 2^-20 (one in about a million) is a warning:
// a user's disk holds that many files.
constexpr double kWeakChanceBits = 20;
// The fewest --not files whose measured bound is shown.
constexpr size_t kFewestForBound = 20;
// How many items a warning line names before "...".
constexpr size_t kItemsShown = 10;

bool OneValue(std::string_view bytes) {
  return !bytes.empty() &&
         bytes.find_first_not_of(bytes[0]) == std::string_view::npos;
}

// "1, 4, 7" or, past kItemsShown, "1, 4, ... (12 in all)"; `label` gives
// the text of an item.
template <typename Label>
std::string ItemList(const std::vector<size_t>& items, Label label) {
  std::string text;
  for (size_t i = 0; i < items.size() && i < kItemsShown; ++i) {
    text += (i == 0 ? "" : ", ") + label(items[i]);
  }
  if (items.size() > kItemsShown) {
    text += ", ... (" + std::to_string(items.size()) + " in all)";
  }
  return text;
}

size_t Matching(const std::vector<FileVerdict>& verdicts) {
  size_t count = 0;
  for (const FileVerdict& verdict : verdicts) count += verdict.Matches();
  return count;
}

}  // namespace

Strength MeasureStrength(const DefinitionContent& definition) {
  Strength strength;
  for (const DefinitionPattern& pattern : definition.patterns) {
    strength.pattern_bytes += pattern.bytes.size();
    strength.chance_bits += PatternChanceBits(pattern.bytes);
    if (OneValue(pattern.bytes)) {
      const unsigned char value = ByteAt(pattern.bytes, 0);
      strength.informative_bytes += IsInformativeByte(value);
    } else {
      for (size_t i = 0; i < pattern.bytes.size(); ++i) {
        const unsigned char byte = ByteAt(pattern.bytes, i);
        strength.informative_bytes += IsInformativeByte(byte);
      }
    }
  }
  return strength;
}

uint64_t NoneMatchedBound(size_t tested) {
  // The largest share p with (1 - p)^tested >= 5%: a file of that kind
  // matching more often would have shown among `tested` with 95% odds.
  const double p = 1 - std::pow(0.05, 1.0 / static_cast<double>(tested));
  return static_cast<uint64_t>(std::floor(1 / p));
}

std::string ChanceText(double bits) {
  if (bits < 20) {
    // Two significant digits are all an estimate has.
    double n = std::exp2(bits);
    double unit = 1;
    while (n >= 100) {
      n /= 10;
      unit *= 10;
    }
    return "about 1 in " +
           std::to_string(static_cast<uint64_t>(std::llround(n) * unit));
  }
  return "about 1 in 10^" +
         std::to_string(static_cast<int>(std::floor(bits * std::log10(2.0))));
}

WeaknessReport AssessWeakness(const VerifyReport& report) {
  const DefinitionContent& definition = *report.definition;
  WeaknessReport weakness;
  weakness.strength = MeasureStrength(definition);
  const Strength& strength = weakness.strength;

  std::vector<size_t> zero;
  std::vector<size_t> repeated;
  for (size_t p = 0; p < definition.patterns.size(); ++p) {
    const std::string& bytes = definition.patterns[p].bytes;
    if (!OneValue(bytes)) continue;
    if (bytes[0] == '\0') {
      zero.push_back(p + 1);
    } else if (bytes.size() > 1) {
      repeated.push_back(p + 1);
    }
  }
  auto pattern_label = [&](size_t number) {
    const DefinitionPattern& pattern = definition.patterns[number - 1];
    return std::to_string(number) + " at " + std::to_string(pattern.pos);
  };
  // Zero fields are everywhere in binary headers and most stay zero; a
  // warning about every one of them is noise that users learn to ignore.
  // Only those that files of the type fail on are named.
  std::vector<size_t> failing_zero;
  size_t zero_failures = 0;
  for (const FileVerdict& verdict : report.files) {
    bool failed = false;
    for (const PatternMiss& miss : verdict.failed_patterns) {
      if (std::find(zero.begin(), zero.end(), miss.pattern + 1) == zero.end()) {
        continue;
      }
      failed = true;
      if (std::find(failing_zero.begin(), failing_zero.end(),
                    miss.pattern + 1) == failing_zero.end()) {
        failing_zero.push_back(miss.pattern + 1);
      }
    }
    zero_failures += failed;
  }
  std::sort(failing_zero.begin(), failing_zero.end());
  if (!failing_zero.empty()) {
    weakness.warnings.push_back(
        {"zero-patterns",
         Plural(failing_zero.size(), "pattern") +
             (failing_zero.size() == 1 ? " holds" : " hold") +
             " only zero bytes (" + ItemList(failing_zero, pattern_label) +
             ") and " + Plural(zero_failures, "file") + " of the type fill " +
             (failing_zero.size() == 1 ? "it" : "them") +
             ": fields that were zero in every sample by chance; mavocheck "
             "tune drops them",
         failing_zero});
  }
  if (!repeated.empty()) {
    weakness.warnings.push_back(
        {"repeated-byte-patterns",
         Plural(repeated.size(), "pattern") +
             (repeated.size() == 1 ? " repeats" : " repeat") +
             " one byte value (" +
             ItemList(repeated,
                      [&](size_t number) {
                        return pattern_label(number) + ": " +
                               Hex(definition.patterns[number - 1].bytes);
                      }) +
             "): padding, which says little about the type",
         repeated});
  }
  if (strength.informative_bytes < kFewInformativeBytes) {
    weakness.warnings.push_back(
        {"few-informative-bytes",
         "the patterns hold " +
             Plural(strength.informative_bytes, "informative byte") +
             ", fewer than " + std::to_string(kFewInformativeBytes) +
             ": files of other types will match",
         {}});
  }
  if (strength.chance_bits < kWeakChanceBits) {
    weakness.warnings.push_back({"likely-false-matches",
                                 "an unrelated file matches the patterns " +
                                     ChanceText(strength.chance_bits) +
                                     " (estimate)",
                                 {}});
  }

  if (definition.check_strings) {
    std::vector<size_t> repeating;
    std::vector<size_t> owner;
    for (size_t s = 0; s < definition.strings.size(); ++s) {
      const std::string searched = SearchedString(definition.strings[s]);
      for (size_t p = 0; p < definition.patterns.size(); ++p) {
        if (!searched.empty() &&
            UpperCase(definition.patterns[p].bytes).find(searched) !=
                std::string::npos) {
          repeating.push_back(s + 1);
          owner.push_back(p + 1);
          break;
        }
      }
    }
    if (!repeating.empty()) {
      std::vector<size_t> order(repeating.size());
      for (size_t i = 0; i < order.size(); ++i) order[i] = i;
      weakness.warnings.push_back(
          {"strings-repeat-patterns",
           Plural(repeating.size(), "global string") +
               (repeating.size() == 1 ? " only repeats" : " only repeat") +
               " pattern bytes (" +
               ItemList(order,
                        [&](size_t i) {
                          return "string " + std::to_string(repeating[i]) +
                                 " in pattern " + std::to_string(owner[i]);
                        }) +
               "): they add nothing to the patterns",
           repeating});
    }
  }

  weakness.not_files = report.not_files.size();
  weakness.not_matched = Matching(report.not_files);
  if (const size_t false_matches = weakness.not_matched) {
    weakness.warnings.push_back(
        {"false-matches",
         std::to_string(false_matches) + " of " +
             std::to_string(report.not_files.size()) +
             " files that must not match do (" +
             Percent(false_matches, report.not_files.size()) + ")",
         {}});
  }
  return weakness;
}

std::string WeaknessText(const WeaknessReport& weakness) {
  const Strength& strength = weakness.strength;
  std::string text =
      "\nStrength: " + Plural(strength.pattern_bytes, "pattern byte") + ", " +
      std::to_string(strength.informative_bytes) +
      " informative; an unrelated file matches the patterns " +
      ChanceText(strength.chance_bits) + " (estimate)\n";
  // Fewer files bound the share no tighter than 1 in 6, which tells a
  // user nothing the estimate does not.
  if (weakness.not_files >= kFewestForBound && weakness.not_matched == 0) {
    text += "Measured: 0 of " + std::to_string(weakness.not_files) +
            " files that must not match do, so such files match at most 1 "
            "in " +
            std::to_string(NoneMatchedBound(weakness.not_files)) +
            " (95% bound)\n";
  }
  if (weakness.warnings.empty()) return text + "No warnings\n";
  text += "Warnings:\n";
  for (const Weakness& warning : weakness.warnings) {
    text += "  " + warning.text + "\n";
  }
  return text;
}

void WeaknessJson(const WeaknessReport& weakness, JsonWriter* json) {
  const Strength& strength = weakness.strength;
  json->Key("strength");
  json->BeginObject();
  json->Member("pattern_bytes", strength.pattern_bytes);
  json->Member("informative_bytes", strength.informative_bytes);
  json->Key("chance_bits");
  json->Fixed(strength.chance_bits, 1);
  json->Member("chance", ChanceText(strength.chance_bits));
  json->EndObject();
  json->Key("warnings");
  json->BeginArray();
  for (const Weakness& warning : weakness.warnings) {
    json->BeginObject();
    json->Member("kind", warning.kind);
    json->Member("text", warning.text);
    json->Key("items");
    json->BeginArray();
    for (size_t item : warning.items) json->Number(item);
    json->EndArray();
    json->EndObject();
  }
  json->EndArray();
}

}  // namespace mavoscan
