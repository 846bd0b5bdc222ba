#ifndef MAVOSCAN_MATCH_STRING_SEARCH_H_
#define MAVOSCAN_MATCH_STRING_SEARCH_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "strings/pattern_automaton.h"

namespace mavoscan {

// Tells which of a set of strings occur in a text whose bytes are compared
// upper-cased (the strings are given upper-cased already), and stops as
// soon as every one has been seen.
//
// Three ways, the cheapest chosen from the strings' shift tables:
// - one by one with shifts (Horspool): a byte that a string does not hold
//   lets its search skip the string's length, so a long string's search
//   looks at a small part of the text, and stops at its first occurrence;
// - all at once with shifts over pairs of bytes (Wu-Manber), when every
//   string has 4 bytes or more: a pair that no string holds near the end of
//   its first m bytes (m the shortest length) lets the search skip up to
//   m - 1 bytes;
// - an automaton that reads every byte, when shorter strings would make
//   the skips too small to pay.
class StringSearch {
 public:
  explicit StringSearch(const std::vector<std::string>& strings);

  // Searches `text` from the start.
  void Search(std::string_view text);
  // The same for a text given in windows, so that it need not be held
  // whole: Begin, then SearchWindow for each window in order, each one
  // beginning with at least the last Overlap() bytes of the one before
  // (every occurrence then lies whole in some window).
  void Begin();
  void SearchWindow(std::string_view window);
  size_t Overlap() const { return overlap_; }

  bool Found(size_t index) const { return found_[index] != 0; }
  bool AllFound() const { return missing_ == 0; }

 private:
  void BuildPairShifts(size_t shortest);
  void SearchOneByOne(std::string_view text);
  void SearchWithShifts(std::string_view text);
  void SearchWithAutomaton(std::string_view text);

  const std::vector<std::string>& strings_;
  std::vector<unsigned char> found_;
  size_t missing_ = 0;
  size_t overlap_ = 0;
  // The shortest length m, at most kMaxWindow.
  size_t window_ = 0;
  enum class Method { kOneByOne, kShifts, kAutomaton };
  Method method_ = Method::kAutomaton;
  // For kOneByOne: per string, the shift for each upper-cased last byte.
  std::vector<std::array<unsigned char, 256>> string_shifts_;
  std::array<unsigned char, 256> upper_{};
  // Shift per pair of upper-cased bytes; 0 where some string's first m
  // bytes end in that pair.
  std::vector<unsigned char> shift_;
  // The strings whose first m bytes end in a pair, by pair: those of pair h
  // are ids_[bucket_start_[h] .. bucket_start_[h + 1]).
  std::vector<uint32_t> bucket_start_;
  std::vector<uint32_t> ids_;
  PatternAutomaton automaton_;
  std::vector<PatternAutomaton::State> ends_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_STRING_SEARCH_H_
