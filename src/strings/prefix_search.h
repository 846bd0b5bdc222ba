#ifndef MAVOSCAN_STRINGS_PREFIX_SEARCH_H_
#define MAVOSCAN_STRINGS_PREFIX_SEARCH_H_

// The engine that feeds a text to pattern automata and finds how much of
// each pattern occurs in it. A search goes in five layers:
// - Runs: only the stretches where every neighbouring byte pair occurs in
//   the patterns are fed (FindRuns), each from the root.
// - Pieces: long runs are cut into pieces, each warmed up by the bytes just
//   before it (at most the automaton's depth, all a state stands for), so
//   that it starts in the state a whole feed would have there.
// - Stages: most patterns that occur at all occur early in a text. Pieces
//   are fed in stages, each twice as long as the one before; after each,
//   the patterns found whole are settled, and once enough are, a smaller
//   automaton of the others takes the next stage where enough text is left
//   to pay for its build. Its depth is no greater, so the warm-ups still
//   suit it.
// - Shares: a stage of a megabyte or more is fed by two threads taking
//   turns at shares of consecutive pieces, each thread with marks of its
//   own, merged afterwards. The calling thread alone reports progress.
// - Lanes: a share is fed as interleaved lanes where warming them up costs
//   little, so that the memory waits of one lane overlap those of others.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "strings/pattern_automaton.h"

namespace mavoscan {

// Called now and then by a long step with how far it has come (done of
// total units); returning false stops the step.
using WorkReport = std::function<bool(uint64_t done, uint64_t total)>;

// A stretch of a text, fed from `begin` to `end` (or back), after `warm`
// bytes just before it (after it, going back) that only set the state.
struct TextPiece {
  size_t begin;
  size_t end;
  size_t warm;
};

// Pairs of neighbouring bytes, one bit for each of the 65536.
class BytePairs {
 public:
  static size_t Pair(unsigned char first, unsigned char second) {
    return size_t{first} << 8 | second;
  }
  bool Has(size_t pair) const { return (bits_[pair >> 6] >> (pair & 63)) & 1; }
  void Add(size_t pair) { bits_[pair >> 6] |= uint64_t{1} << (pair & 63); }
  // Empties the set; Release also gives its memory back.
  void Clear() { bits_.assign(1024, 0); }
  void Release() { std::vector<uint64_t>().swap(bits_); }

 private:
  std::vector<uint64_t> bits_ = std::vector<uint64_t>(1024, 0);
};

// Sets *runs to the stretches of `bytes` in which every two neighbouring
// bytes form a pair of `pairs`, at least kMinStringLength bytes long: the
// only places where a pattern of 2 bytes or more made of those pairs can
// occur. A long text is split over two threads (*scratch holds the second
// half's runs).
void FindRuns(const BytePairs& pairs, std::string_view bytes,
              std::vector<TextPiece>* runs, std::vector<TextPiece>* scratch);

// Whether a feed may hand part of its work to a second thread (it does so
// only where that pays).
enum class SecondThread { kNo, kWhenItPays };

// A text to search: the bytes as read (the automata fold case while
// matching), the runs FindRuns gave for it, and how to feed it.
struct SearchText {
  std::string_view bytes;
  const std::vector<TextPiece>& runs;
  Reading reading;
  SecondThread second_thread;
};

// Patterns and their automaton; ends[i] is the node of patterns[i].
struct PatternSet {
  std::vector<std::string_view> patterns;
  PatternAutomaton automaton;
  std::vector<PatternAutomaton::State> ends;

  // Builds the automaton of `patterns` as `reading` says, folding the case
  // of fed bytes, with a transition table sized for `to_feed` bytes of
  // text. Returns false when `keep_going` asked to stop.
  bool Build(Reading reading, uint64_t to_feed,
             const std::function<bool()>& keep_going);
};

// Finds how much of each pattern of a set occurs in a text. Keeps its
// scratch memory from one search to the next; two searches may run at once
// on two PrefixSearch objects.
class PrefixSearch {
 public:
  // Sets (*found)[i] to the length of the longest prefix of
  // set->patterns[i] (as it reads) that occurs in the runs of `text`. The
  // set's automaton must be built for text.reading with its marks clear;
  // they are left complete for the text (see SpreadMarks). Returns false
  // when `report` asked to stop.
  bool FindLongest(const SearchText& text, PatternSet* set,
                   std::vector<size_t>* found, const WorkReport& report);

 private:
  // pieces_[first, end) of a text of `total` bytes to feed, `done_before`
  // of them fed already (for the report).
  struct Stage {
    size_t first;
    size_t end;
    uint64_t done_before;
    uint64_t total;
  };
  // Feeds a stage's pieces to `automaton` and completes its marks.
  bool FeedStage(const SearchText& text, PatternAutomaton* automaton,
                 const Stage& stage, const WorkReport& report);

  std::vector<TextPiece> pieces_;
  std::vector<size_t> share_starts_;
  std::vector<unsigned char> helper_marks_;
  // The smaller automaton of the patterns a text has not shown yet.
  PatternSet open_set_;
  std::vector<uint32_t> marked_lengths_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PREFIX_SEARCH_H_
