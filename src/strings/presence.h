#ifndef MAVOSCAN_STRINGS_PRESENCE_H_
#define MAVOSCAN_STRINGS_PRESENCE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mavoscan {

// Called now and then by a long step with how far it has come (done of
// total units); returning false stops the step.
using WorkReport = std::function<bool(uint64_t done, uint64_t total)>;

// What the samples seen so far have in common with each accepted raw
// string r. A candidate occurs in every sample exactly when it is present
// here, so this replaces testing each candidate:
// - a prefix candidate r[0, m) occurs in a text iff m is at most the longest
//   prefix of r occurring there, so one length per raw string says which of
//   its prefixes are still present (likewise suffixes); r itself is present
//   when that length is its whole length;
// - words are tracked by their distinct texts.
class PresenceTracker {
 public:
  // `accepted` are views into `backing`, which must outlive the tracker.
  PresenceTracker(const std::vector<std::string_view>& accepted,
                  std::string_view backing);

  // Registers a word candidate (a view into `backing`); repeats are merged.
  void AddWord(std::string_view word);

  // Narrows everything down to what also occurs in `text`. Returns false
  // when `report` asked to stop; the state is then of no further use.
  bool Narrow(std::string_view text, const WorkReport& report);

  // True when no candidate is present any more.
  bool AllGone() const { return all_gone_; }

  // The longest prefix candidate length of raw string a still present
  // (its whole length when r itself is present; 0 when none is).
  size_t prefix(size_t a) const { return prefix_[a]; }
  // The same for suffixes.
  size_t suffix(size_t a) const { return suffix_[a]; }
  // True when `word` (a registered word's text) is still present.
  bool WordPresent(std::string_view word) const;

 private:
  bool NarrowPrefixesAndWords(std::string_view text, uint64_t total,
                              const WorkReport& report);
  void UpdateAllGone();
  bool NarrowSuffixes(std::string_view text, uint64_t done, uint64_t total,
                      const WorkReport& report);
  // Raw string a read backwards, as a view into reversed_.
  std::string_view Reversed(size_t a) const;

  const std::vector<std::string_view>& accepted_;
  std::string_view backing_;
  std::string reversed_;
  std::vector<size_t> prefix_;
  std::vector<size_t> suffix_;
  std::vector<std::string_view> words_;
  std::vector<unsigned char> word_present_;
  std::unordered_map<std::string_view, uint32_t> word_ids_;
  bool all_gone_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PRESENCE_H_
