#ifndef MAVOSCAN_STRINGS_PRESENCE_H_
#define MAVOSCAN_STRINGS_PRESENCE_H_

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "strings/pattern_automaton.h"

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
  // `accepted` (and the text they view) must outlive the tracker.
  explicit PresenceTracker(const std::vector<std::string_view>& accepted);

  // Registers a word candidate (a view of the same text as `accepted`);
  // repeats are merged.
  void AddWord(std::string_view word);

  // Narrows everything down to what also occurs in the sample text that
  // `bytes` upper-cased would give (the bytes as read: case is folded while
  // matching). Returns false when `report` asked to stop; the state is then
  // of no further use.
  bool Narrow(std::string_view bytes, const WorkReport& report);

  // Hands over the matching machinery's automaton once all samples are
  // done (what is present stays known), so that its memory is used again.
  PatternAutomaton TakeAutomaton();

  // True when no candidate is present any more.
  bool AllGone() const { return all_gone_; }

  // The longest prefix candidate length of raw string a still present
  // (its whole length when r itself is present; 0 when none is).
  size_t prefix(size_t a) const { return prefix_[a]; }
  // The same for suffixes.
  size_t suffix(size_t a) const { return suffix_[a]; }
  // The number of a registered word's text (0 to word_count() - 1), or -1.
  int64_t WordId(std::string_view word) const;
  size_t word_count() const { return words_.size(); }
  std::string_view word(size_t id) const { return words_[id]; }
  bool word_present(size_t id) const { return word_present_[id] != 0; }

  // A stretch of a text, fed from `begin` to `end` (or back), after `warm`
  // bytes just before it (after it, going back) that only set the state.
  struct Piece {
    size_t begin;
    size_t end;
    size_t warm;
  };

 private:
  // The patterns of one reading direction and their automaton, kept while
  // the patterns stay the same.
  struct Direction {
    PatternAutomaton automaton;
    std::vector<std::string_view> patterns;
    std::vector<size_t> owners;  // raw string, or kWordOwner + word
    std::vector<PatternAutomaton::State> ends;
    uint64_t built_bytes = 0;  // of the patterns the automaton was built of
    bool valid = false;
    // Scratch of a pass, kept for the next: the two directions may be
    // narrowed at the same time.
    std::vector<Piece> pieces;
    std::vector<size_t> share_starts;
    std::vector<unsigned char> helper_marks;
    // The smaller automaton of the patterns a text has not shown yet.
    PatternAutomaton stage_automaton;
    std::vector<std::string_view> stage_patterns;
    std::vector<PatternAutomaton::State> stage_ends;
    std::vector<size_t> found;
    std::vector<uint32_t> marked_lengths;
  };
  // The bit below the top one of size_t: no count of raw strings reaches it,
  // on 32-bit systems either.
  static constexpr size_t kWordOwner =
      size_t{1} << (std::numeric_limits<size_t>::digits - 2);
  static constexpr size_t kNoCap = ~size_t{0};

  void UpdateAllGone();
  // The slot of `word`: where it is, or the empty slot where it would go.
  size_t WordSlot(std::string_view word) const;
  void FindPairs();
  // Narrows the prefixes and words (forward) or the suffixes (backward) of
  // the raw strings to what occurs in `bytes`, on two threads when
  // `may_share`. Sets *lost when anything was lost. Reads and writes only
  // what belongs to its direction, so both may run at once.
  bool NarrowDirection(std::string_view bytes, bool backward, bool may_share,
                       Direction* into, const WorkReport& report, bool* lost);
  // True when the direction has anything to look for.
  bool HasWork(bool backward) const;
  // Feeds direction->pieces[begin, end) to `automaton` (on two threads when
  // `may_share` and they are long) and completes its marks; `done_before`
  // of `total` bytes were fed before, for the report.
  bool FeedPieces(std::string_view bytes, bool backward, bool may_share,
                  Direction* direction, PatternAutomaton* automaton,
                  size_t begin, size_t end, uint64_t done_before,
                  uint64_t total, const WorkReport& report);
  // Sets direction->found[i] to the length of the longest prefix of the
  // direction's pattern i (as it reads) that occurs in the runs of `bytes`.
  bool FindLongest(std::string_view bytes, bool backward, bool may_share,
                   Direction* direction, const WorkReport& report);

  const std::vector<std::string_view>& accepted_;
  std::vector<size_t> prefix_;
  std::vector<size_t> suffix_;
  std::vector<std::string_view> words_;
  std::vector<unsigned char> word_present_;
  // Open addressing over words_: slot holds word number + 1, 0 when empty.
  // Every word occurrence of the first sample is looked up here.
  std::vector<uint32_t> word_slots_;
  bool all_gone_;

  // Kept from sample to sample: rebuilt only when something was lost, and
  // their memory is reused.
  Direction forward_;
  Direction backward_;
  // Per raw string: not looked for going back. Whether the automaton going
  // back has the raw strings present whole.
  std::vector<unsigned char> back_skip_;
  bool backward_with_whole_ = false;
  bool narrowed_before_ = false;
  // Pairs of neighbouring bytes (as read, before upper-casing) that occur
  // in the live material, one bit each.
  std::vector<uint64_t> pairs_;
  bool pairs_valid_ = false;
  std::vector<Piece> runs_;
  std::vector<Piece> run_scratch_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PRESENCE_H_
