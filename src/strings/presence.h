#ifndef MAVOSCAN_STRINGS_PRESENCE_H_
#define MAVOSCAN_STRINGS_PRESENCE_H_

// The presence model: which candidates of the accepted raw strings occur in
// every sample seen so far, without testing each candidate.
//
// What is tracked. A prefix candidate r[0, m) of raw string r occurs in a
// text iff m is at most the longest prefix of r that occurs there. So one
// length per raw string, prefix(a), says which of its prefix candidates are
// still present (clipped to a candidate length, see ClipPrefix); suffix(a)
// does the same for suffixes, and r itself is present when prefix(a) is its
// whole length. Words are tracked by their distinct texts, one flag each.
//
// The invariant. After each sample, prefix(a) is the longest prefix
// candidate length of r whose text occurs (upper-cased) in every sample so
// far, and likewise suffix(a) and the word flags; they only ever shrink. A
// raw string present whole keeps its suffix length: its suffixes all occur
// where it does.
//
// How a sample narrows them. Reading forward, an automaton of the live
// prefixes and words (PatternAutomaton) is fed the sample; reading
// backward, one of the live suffixes, each read from its end. Only the runs
// of the sample are fed, the stretches where every neighbouring byte pair
// occurs in the live texts (FindRuns): nothing else can hold a live text.
// After a feed, the longest marked prefix of each pattern's path is its new
// length (PrefixSearch::FindLongest).
//
// When the automaton is rebuilt. Narrowing only shortens patterns, and a
// shortened pattern is already a node on its old path, so an automaton is
// kept from sample to sample and only its marks are cleared. It is rebuilt
// once the bytes still looked for fall below three quarters of what it was
// built of (stale nodes cost time on every step), and when the set of raw
// strings left out going back changes. A build over more than a megabyte
// of live texts first looks for the first 32 bytes of each only, then for
// 16 times as many of those found that far, and so on: long texts rarely
// occur whole, and this keeps such automata small.
//
// Why two threads. Going back need not look for raw strings present whole,
// but once going forward finds one no longer whole, going back must look
// for its suffixes after all: that ties going back to the outcome of going
// forward. So whenever going back has other work, it looks for those too;
// then the two directions read and write disjoint state, and a sample of a
// megabyte or more is narrowed both ways at once, forward on the calling
// thread and backward on a SideTask. Otherwise the directions run one after
// the other, each feeding on two threads where that pays. Only the calling
// thread reports progress, and so watches for a stop.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "strings/pattern_automaton.h"
#include "strings/prefix_search.h"

namespace mavoscan {

// What the samples seen so far have in common with each accepted raw
// string (see above).
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

  // Hands over the larger automaton once all samples are done (what is
  // present stays known), so that its memory is used again.
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

 private:
  // The live texts of one reading direction and their automaton.
  struct Direction {
    PatternSet set;
    std::vector<size_t>
        owners;                // per pattern: raw string, or kWordOwner + word
    uint64_t built_bytes = 0;  // of the patterns the automaton was built of
    bool valid = false;        // the automaton holds every live text whole
    PrefixSearch search;
    std::vector<size_t> found;
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
  // What an owner still has present, as `reading` looks for it: the prefix
  // (or the suffix) of a raw string, or a word; empty when there is nothing
  // to look for.
  std::string_view LiveText(size_t owner, Reading reading) const;
  // Narrows the prefixes and words (forward) or the suffixes (backward) of
  // the raw strings to what occurs in `text`. Sets *lost when anything was
  // lost. Reads and writes only what belongs to its direction, so both may
  // run at once.
  bool NarrowDirection(const SearchText& text, Direction* direction,
                       const WorkReport& report, bool* lost);
  // True when the direction has anything to look for.
  bool HasWork(Reading reading) const;
  // Decides which raw strings going back leaves out (back_skip_).
  void ChooseBackwardPatterns();

  const std::vector<std::string_view>& accepted_;
  std::vector<size_t> prefix_;
  std::vector<size_t> suffix_;
  std::vector<std::string_view> words_;
  std::vector<unsigned char> word_present_;
  // Open addressing over words_: slot holds word number + 1, 0 when empty.
  // Every word occurrence of the first sample is looked up here.
  std::vector<uint32_t> word_slots_;
  bool all_gone_;

  Direction forward_;
  Direction backward_;
  // Per raw string: not looked for going back. Whether the automaton going
  // back has the raw strings present whole.
  std::vector<unsigned char> back_skip_;
  bool backward_with_whole_ = false;
  bool narrowed_before_ = false;
  // Pairs of neighbouring bytes (as read, before upper-casing) that occur
  // in the live texts.
  BytePairs pairs_;
  bool pairs_valid_ = false;
  std::vector<TextPiece> runs_;
  std::vector<TextPiece> run_scratch_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PRESENCE_H_
