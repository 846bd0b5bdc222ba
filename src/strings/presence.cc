#include "strings/presence.h"

#include <algorithm>

#include "strings/candidates.h"
#include "strings/pattern_automaton.h"
#include "strings/raw_strings.h"

namespace mavoscan {
namespace {

// Texts are fed in pieces of this size, with a progress report after each.
constexpr size_t kFeedChunk = size_t{1} << 20;

}  // namespace

PresenceTracker::PresenceTracker(const std::vector<std::string_view>& accepted,
                                 std::string_view backing)
    : accepted_(accepted),
      backing_(backing),
      reversed_(backing.rbegin(), backing.rend()),
      prefix_(accepted.size()),
      suffix_(accepted.size()),
      all_gone_(accepted.empty()) {
  for (size_t a = 0; a < accepted.size(); ++a) {
    prefix_[a] = accepted[a].size();
    suffix_[a] = accepted[a].size();
  }
}

void PresenceTracker::AddWord(std::string_view word) {
  auto [it, added] =
      word_ids_.emplace(word, static_cast<uint32_t>(words_.size()));
  if (added) {
    words_.push_back(word);
    word_present_.push_back(1);
  }
}

bool PresenceTracker::WordPresent(std::string_view word) const {
  auto it = word_ids_.find(word);
  return it != word_ids_.end() && word_present_[it->second] != 0;
}

void PresenceTracker::UpdateAllGone() {
  all_gone_ = false;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (prefix_[a] != 0 || suffix_[a] != 0) return;
  }
  for (unsigned char present : word_present_) {
    if (present) return;
  }
  all_gone_ = true;
}

std::string_view PresenceTracker::Reversed(size_t a) const {
  const std::string_view r = accepted_[a];
  const size_t offset = static_cast<size_t>(r.data() - backing_.data());
  return std::string_view(reversed_).substr(backing_.size() - offset - r.size(),
                                            r.size());
}

bool PresenceTracker::Narrow(std::string_view text, const WorkReport& report) {
  const uint64_t total = 2 * static_cast<uint64_t>(text.size()) + 2;
  if (!NarrowPrefixesAndWords(text, total, report) ||
      !NarrowSuffixes(text, text.size() + 1, total, report)) {
    return false;
  }
  UpdateAllGone();
  return true;
}

bool PresenceTracker::NarrowPrefixesAndWords(std::string_view text,
                                             uint64_t total,
                                             const WorkReport& report) {
  std::vector<std::string_view> patterns;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (prefix_[a] != 0) patterns.push_back(accepted_[a].substr(0, prefix_[a]));
  }
  for (size_t w = 0; w < words_.size(); ++w) {
    if (word_present_[w]) patterns.push_back(words_[w]);
  }
  if (patterns.empty()) return true;
  PatternAutomaton automaton;
  if (!automaton.Build(std::move(patterns), [&] { return report(0, total); })) {
    return false;
  }
  automaton.StartText();
  for (size_t at = 0; at < text.size(); at += kFeedChunk) {
    automaton.Feed(text.substr(at, kFeedChunk));
    if (!report(std::min(at + kFeedChunk, text.size()), total)) return false;
  }
  automaton.SpreadMarks();
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (prefix_[a] == 0) continue;
    const std::string_view r = accepted_[a];
    prefix_[a] =
        ClipPrefix(r, automaton.LongestMarkedPrefix(r.substr(0, prefix_[a])));
  }
  for (size_t w = 0; w < words_.size(); ++w) {
    if (word_present_[w] &&
        automaton.LongestMarkedPrefix(words_[w]) != words_[w].size()) {
      word_present_[w] = 0;
    }
  }
  return true;
}

bool PresenceTracker::NarrowSuffixes(std::string_view text, uint64_t done,
                                     uint64_t total, const WorkReport& report) {
  std::vector<std::string_view> patterns;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (suffix_[a] != 0) patterns.push_back(Reversed(a).substr(0, suffix_[a]));
  }
  if (patterns.empty()) return true;
  PatternAutomaton automaton;
  if (!automaton.Build(std::move(patterns),
                       [&] { return report(done, total); })) {
    return false;
  }
  automaton.StartText();
  for (size_t end = text.size(); end > 0;) {
    const size_t begin = end > kFeedChunk ? end - kFeedChunk : 0;
    automaton.FeedBackward(text.substr(begin, end - begin));
    end = begin;
    if (!report(done + (text.size() - end), total)) return false;
  }
  automaton.SpreadMarks();
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (suffix_[a] == 0) continue;
    const std::string_view reversed = Reversed(a);
    suffix_[a] = ClipSuffix(accepted_[a], automaton.LongestMarkedPrefix(
                                              reversed.substr(0, suffix_[a])));
  }
  return true;
}

}  // namespace mavoscan
