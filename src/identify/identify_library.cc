#include "identify/identify_library.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/records.h"
#include "common/text.h"
#include "identify/evidence.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

struct Anchor {
  size_t offset = 0;
  unsigned char value = 0;
};

using AnchorCounts = std::map<std::pair<size_t, unsigned char>, size_t>;

Anchor ChooseAnchor(const std::vector<DefinitionPattern>& patterns,
                    const AnchorCounts& counts) {
  Anchor best;
  double best_bits = -1;
  size_t best_count = 0;
  for (const DefinitionPattern& pattern : patterns) {
    for (size_t i = 0; i < pattern.bytes.size(); ++i) {
      const Anchor anchor{static_cast<size_t>(pattern.pos) + i,
                          ByteAt(pattern.bytes, i)};
      const double bits = ByteChanceBits(anchor.value);
      const auto found = counts.find({anchor.offset, anchor.value});
      const size_t count = found == counts.end() ? 0 : found->second;
      if (bits > best_bits || (bits == best_bits && count < best_count)) {
        best = anchor;
        best_bits = bits;
        best_count = count;
      }
    }
  }
  return best;
}

}  // namespace

IdentifyLibrary::IdentifyLibrary(std::vector<LibraryDefinition> definitions)
    : definitions_(std::move(definitions)) {
  compiled_.resize(definitions_.size());
  AnchorCounts counts;
  std::map<std::string, uint32_t> string_ids;
  std::map<size_t, std::vector<std::pair<unsigned char, uint32_t>>> anchored;
  for (size_t i = 0; i < definitions_.size(); ++i) {
    const DefinitionContent& content = definitions_[i].content;
    Compiled& compiled = compiled_[i];
    if (content.check_strings) {
      for (const std::string& written : content.strings) {
        const auto [it, added] = string_ids.emplace(
            SearchedString(written), static_cast<uint32_t>(strings_.size()));
        if (added) strings_.push_back(it->first);
        compiled.string_ids.push_back(it->second);
      }
    }
    compiled.pattern_bits = PatternBits(content.patterns);
    for (const DefinitionPattern& pattern : content.patterns) {
      compiled.pattern_bytes += pattern.bytes.size();
      compiled.end = std::max(compiled.end, static_cast<size_t>(pattern.pos) +
                                                pattern.bytes.size());
    }
    // A strict definition's patterns lie within the front block; should
    // one reach past it, it is simply never held, rather than making every
    // file's first read larger.
    front_length_ = std::max(front_length_,
                             std::min(compiled.end, size_t{kFrontBlockSize}));
    if (compiled.pattern_bytes == 0) {
      unanchored_.push_back(static_cast<uint32_t>(i));
      continue;
    }
    const Anchor anchor = ChooseAnchor(content.patterns, counts);
    ++counts[{anchor.offset, anchor.value}];
    anchored[anchor.offset].push_back({anchor.value, static_cast<uint32_t>(i)});
  }
  for (auto& [offset, entries] : anchored) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; });
    AnchorSlot slot;
    slot.offset = offset;
    slot.start.assign(257, 0);
    for (const auto& entry : entries) ++slot.start[entry.first + 1u];
    for (size_t v = 0; v < 256; ++v) slot.start[v + 1] += slot.start[v];
    for (uint32_t& start : slot.start)
      start += static_cast<uint32_t>(ids_.size());
    for (const auto& entry : entries) ids_.push_back(entry.second);
    slots_.push_back(std::move(slot));
  }
}

bool IdentifyLibrary::PatternsHold(uint32_t index,
                                   std::string_view front) const {
  if (compiled_[index].end > front.size()) return false;
  for (const DefinitionPattern& pattern :
       definitions_[index].content.patterns) {
    if (front.substr(static_cast<size_t>(pattern.pos), pattern.bytes.size()) !=
        pattern.bytes) {
      return false;
    }
  }
  return true;
}

void IdentifyLibrary::PatternMatches(std::string_view front,
                                     std::vector<uint32_t>* matches) const {
  matches->clear();
  for (uint32_t index : unanchored_) matches->push_back(index);
  for (const AnchorSlot& slot : slots_) {
    if (slot.offset >= front.size()) break;
    const unsigned char value = ByteAt(front, slot.offset);
    for (uint32_t at = slot.start[value]; at < slot.start[value + 1u]; ++at) {
      if (PatternsHold(ids_[at], front)) matches->push_back(ids_[at]);
    }
  }
  std::sort(matches->begin(), matches->end());
}

}  // namespace mavoscan
