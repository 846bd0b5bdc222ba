#include "tune/part_choice.h"

#include <algorithm>

#include "check/weakness.h"
#include "common/text.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

enum class Tier { kPlain, kFiller, kSuspect, kNone };

struct ByteRef {
  size_t pattern = 0;
  size_t index = 0;
  size_t offset = 0;
  char value = 0;
  Tier tier = Tier::kNone;
};

// A byte of the same aligned four-byte field was broken.
bool InBrokenField(const std::vector<size_t>& broken, size_t offset) {
  const size_t field = offset / 4 * 4;
  auto at = std::lower_bound(broken.begin(), broken.end(), field);
  return at != broken.end() && *at < field + 4;
}

bool FailsOnSamples(const std::vector<const std::string*>& fronts,
                    size_t offset, char value) {
  return std::any_of(fronts.begin(), fronts.end(), [&](const std::string* f) {
    return offset >= f->size() || (*f)[offset] != value;
  });
}

bool MeetsFloor(const DefinitionContent& definition, const PartChoice& choice) {
  const Strength strength = MeasureStrength(KeptContent(definition, choice));
  return strength.informative_bytes >= kFloorInformativeBytes &&
         strength.chance_bits >= kFloorChanceBits;
}

}  // namespace

DefinitionContent KeptContent(const DefinitionContent& definition,
                              const PartChoice& choice) {
  DefinitionContent kept;
  kept.file_type = definition.file_type;
  for (size_t p = 0; p < definition.patterns.size(); ++p) {
    const DefinitionPattern& pattern = definition.patterns[p];
    bool open = false;
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      if (!choice.kept_bytes[p][i]) {
        open = false;
        continue;
      }
      if (!open) {
        kept.patterns.push_back({"", pattern.pos + static_cast<int64_t>(i)});
        open = true;
      }
      kept.patterns.back().bytes.push_back(pattern.bytes[i]);
    }
  }
  for (size_t s = 0; s < definition.strings.size(); ++s) {
    if (choice.kept_strings[s]) kept.strings.push_back(definition.strings[s]);
  }
  kept.check_strings = !kept.strings.empty();
  return kept;
}

bool ChooseParts(const DefinitionContent& definition,
                 const ChoiceEvidence& evidence, NotFiles& not_files,
                 PartChoice* choice, std::string* err) {
  *choice = PartChoice();
  std::vector<ByteRef> bytes;
  for (size_t p = 0; p < definition.patterns.size(); ++p) {
    const DefinitionPattern& pattern = definition.patterns[p];
    choice->kept_bytes.emplace_back(pattern.bytes.size(), false);
    choice->byte_reasons.emplace_back(pattern.bytes.size(),
                                      DropReason::kNotNeeded);
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      ByteRef ref{p, i, static_cast<size_t>(pattern.pos) + i, pattern.bytes[i],
                  Tier::kNone};
      const unsigned char value = ByteAt(pattern.bytes, i);
      if (pattern.pos < 0 ||
          FailsOnSamples(evidence.sample_fronts, ref.offset, ref.value)) {
        choice->byte_reasons[p][i] = DropReason::kFailsOnSamples;
      } else if (InBrokenField(evidence.broken_offsets, ref.offset)) {
        ref.tier = Tier::kSuspect;
        choice->byte_reasons[p][i] = DropReason::kVariedUnseen;
      } else if (!IsInformativeByte(value)) {
        ref.tier = Tier::kFiller;
        if (evidence.filler_failed && not_files.size() == 0) {
          choice->byte_reasons[p][i] = DropReason::kFillerFailed;
        }
      } else {
        ref.tier = Tier::kPlain;
      }
      if (ref.tier != Tier::kNone) bytes.push_back(ref);
    }
  }
  // Lowest offset first within a tier, on ties and for the floor.
  std::stable_sort(
      bytes.begin(), bytes.end(),
      [](const ByteRef& a, const ByteRef& b) { return a.offset < b.offset; });
  std::vector<size_t> strings;  // candidate string indexes
  choice->kept_strings.assign(definition.strings.size(), false);
  choice->string_reasons.assign(definition.strings.size(),
                                evidence.strings_failed && not_files.size() == 0
                                    ? DropReason::kStringsFailed
                                    : DropReason::kNotNeeded);
  for (size_t s = 0; s < definition.strings.size(); ++s) {
    if (s < evidence.string_fails.size() && evidence.string_fails[s]) {
      choice->string_reasons[s] = DropReason::kFailsOnSamples;
    } else if (definition.check_strings) {
      strings.push_back(s);
    }
  }
  auto keep = [&](const ByteRef& ref) {
    choice->kept_bytes[ref.pattern][ref.index] = true;
  };
  auto of_tier = [&](Tier tier) {
    std::vector<const ByteRef*> refs;
    for (const ByteRef& ref : bytes) {
      if (ref.tier == tier) refs.push_back(&ref);
    }
    return refs;
  };

  if (not_files.size() == 0) {
    for (const ByteRef& ref : bytes) {
      if (ref.tier == Tier::kPlain ||
          (ref.tier == Tier::kFiller && !evidence.filler_failed)) {
        keep(ref);
      }
    }
    if (!evidence.strings_failed) {
      for (size_t s : strings) choice->kept_strings[s] = true;
    }
  } else {
    PartPicker picker(not_files.size());
    auto offer = [&](Tier tier) {
      const std::vector<const ByteRef*> refs = of_tier(tier);
      std::vector<const FileBits*> rejections;
      for (const ByteRef* ref : refs) {
        rejections.push_back(
            &not_files.ByteRejections(ref->offset, ref->value));
      }
      for (size_t taken : picker.PickFrom(rejections)) keep(*refs[taken]);
    };
    offer(Tier::kPlain);
    offer(Tier::kFiller);
    // Strings only for the files no byte rejects, one string each.
    const std::vector<size_t> short_files = picker.Short(1);
    if (!strings.empty() && !short_files.empty()) {
      std::vector<std::string> texts;
      for (size_t s : strings) texts.push_back(definition.strings[s]);
      std::vector<FileBits> found;
      if (!not_files.StringRejections(texts, short_files, &found, err)) {
        return false;
      }
      std::vector<const FileBits*> rejections;
      for (const FileBits& bits : found) rejections.push_back(&bits);
      for (size_t taken : picker.PickFrom(rejections, 1)) {
        choice->kept_strings[strings[taken]] = true;
      }
    }
    offer(Tier::kSuspect);
    for (size_t f = 0; f < not_files.size(); ++f) {
      choice->rejected_by.push_back(picker.RejectedBy(f));
    }
  }

  for (Tier tier : {Tier::kPlain, Tier::kFiller, Tier::kSuspect}) {
    for (const ByteRef& ref : bytes) {
      if (MeetsFloor(definition, *choice)) break;
      if (ref.tier == tier) keep(ref);
    }
  }
  return true;
}

}  // namespace mavoscan
