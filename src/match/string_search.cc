#include "match/string_search.h"

#include <algorithm>

#include "common/text.h"

namespace mavoscan {
namespace {

constexpr size_t kMinShiftLength = 4;
// How much dearer than the other ways, on average, searching one by one may
// be and still be chosen.
constexpr double kOneByOneRoom = 1.5;
// Parts of a text searched side by side for one string.
constexpr size_t kLanes = 4;
// Shifts are kept in a byte.
constexpr size_t kMaxWindow = 255;

size_t Pair(unsigned char first, unsigned char second) {
  return static_cast<size_t>(first) << 8 | second;
}

}  // namespace

StringSearch::StringSearch(const std::vector<std::string>& strings)
    : strings_(strings), found_(strings.size(), 0) {
  for (int b = 0; b < 256; ++b) {
    upper_[static_cast<size_t>(b)] = UpperByte(static_cast<unsigned char>(b));
  }
  // The cost of each way, in steps per text byte on bytes drawn evenly:
  // one search per string steps by its average shift, the pair search by
  // the average shift of its table, the automaton by one byte.
  double one_by_one_cost = 0;
  size_t shortest = kMaxWindow;
  for (const std::string& s : strings) {
    shortest = std::min(shortest, s.size());
    // Shifts past kMaxWindow are cut to it, which only costs speed.
    const size_t length = std::min(s.size(), kMaxWindow);
    std::array<unsigned char, 256> shift;
    shift.fill(static_cast<unsigned char>(length));
    for (size_t j = 0; j + 1 < s.size(); ++j) {
      shift[ByteAt(s, j)] =
          static_cast<unsigned char>(std::min(s.size() - 1 - j, kMaxWindow));
    }
    double total = 0;
    for (unsigned char value : shift) total += value;
    one_by_one_cost += 256.0 / std::max(total, 256.0);
    string_shifts_.push_back(shift);
  }
  double other_cost = 1;  // the automaton's
  if (!strings.empty() && shortest >= kMinShiftLength) {
    BuildPairShifts(shortest);
    double total = 0;
    for (unsigned char value : shift_) total += value;
    other_cost = static_cast<double>(shift_.size()) / std::max(total, 1.0);
  }
  // A string found early ends its search, which the averages do not see;
  // searching one by one also reads strings only as far as each is found,
  // so it is given some room. A shift search compares a whole string where
  // its end matches, so a long string in a text made to match it almost
  // everywhere (runs of one byte) costs its length at every byte; only the
  // automaton is linear whatever the text, and it takes strings longer
  // than a shift can say.
  size_t longest = 0;
  for (const std::string& s : strings) longest = std::max(longest, s.size());
  overlap_ = longest == 0 ? 0 : longest - 1;
  const bool shifts_bounded = longest <= kMaxWindow;
  if (shifts_bounded && one_by_one_cost <= kOneByOneRoom * other_cost) {
    method_ = Method::kOneByOne;
  } else if (shifts_bounded && !shift_.empty()) {
    method_ = Method::kShifts;
  } else {
    method_ = Method::kAutomaton;
    const std::vector<std::string_view> views(strings.begin(), strings.end());
    automaton_.Build(
        views,
        {Reading::kForward, CaseMatch::kFolded, PatternAutomaton::kSmallTable},
        &ends_, [] { return true; });
  }
}

void StringSearch::BuildPairShifts(size_t shortest) {
  window_ = shortest;
  const size_t m = window_;
  const std::vector<std::string>& strings = strings_;
  shift_.assign(size_t{1} << 16, static_cast<unsigned char>(m - 1));
  std::vector<uint32_t> counts((size_t{1} << 16) + 1, 0);
  for (const std::string& s : strings) {
    for (size_t j = 1; j < m; ++j) {
      unsigned char& shift = shift_[Pair(ByteAt(s, j - 1), ByteAt(s, j))];
      shift = std::min(shift, static_cast<unsigned char>(m - 1 - j));
    }
    ++counts[Pair(ByteAt(s, m - 2), ByteAt(s, m - 1)) + 1];
  }
  for (size_t h = 1; h < counts.size(); ++h) counts[h] += counts[h - 1];
  bucket_start_ = counts;
  ids_.resize(strings.size());
  for (size_t i = 0; i < strings.size(); ++i) {
    const std::string& s = strings[i];
    ids_[counts[Pair(ByteAt(s, m - 2), ByteAt(s, m - 1))]++] =
        static_cast<uint32_t>(i);
  }
}

void StringSearch::Search(std::string_view text) {
  Begin();
  SearchWindow(text);
}

void StringSearch::Begin() {
  std::fill(found_.begin(), found_.end(), 0);
  missing_ = strings_.size();
  // The empty string occurs in every text.
  for (size_t i = 0; i < strings_.size(); ++i) {
    if (strings_[i].empty()) {
      found_[i] = 1;
      --missing_;
    }
  }
}

void StringSearch::SearchWindow(std::string_view text) {
  // Each way only ever adds strings found in `text`, so windows that
  // overlap by Overlap() bytes find what the whole text holds.
  if (missing_ == 0) return;
  switch (method_) {
    case Method::kOneByOne:
      return SearchOneByOne(text);
    case Method::kShifts:
      return SearchWithShifts(text);
    case Method::kAutomaton:
      return SearchWithAutomaton(text);
  }
}

void StringSearch::SearchOneByOne(std::string_view text) {
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t id = 0; id < strings_.size(); ++id) {
    const std::string& s = strings_[id];
    if (found_[id] || s.size() > n) continue;
    const std::array<unsigned char, 256>& shift = string_shifts_[id];
    const size_t last = s.size() - 1;
    const unsigned char last_byte = ByteAt(s, last);
    auto matches_at = [&](size_t start) {
      size_t i = 0;
      while (i < last && upper_[t[start + i]] == ByteAt(s, i)) ++i;
      return i == last;
    };
    // Each step waits for the text byte that decides the next one, so one
    // search leaves the memory idle most of the time. The text is cut into
    // kLanes parts searched side by side, whose steps do not wait on each
    // other; lane l takes the windows that start in its part.
    const size_t starts = n - last;  // windows in all
    const size_t part = (starts + kLanes - 1) / kLanes;
    std::array<size_t, kLanes> at;
    std::array<size_t, kLanes> end;
    for (size_t l = 0; l < kLanes; ++l) {
      at[l] = std::min(starts, l * part);
      end[l] = std::min(starts, at[l] + part);
    }
    bool found = false;
    for (bool busy = true; busy && !found;) {
      busy = false;
      for (size_t l = 0; l < kLanes; ++l) {
        if (at[l] >= end[l]) continue;
        busy = true;
        const unsigned char c = upper_[t[at[l] + last]];
        if (c == last_byte && matches_at(at[l])) {
          found = true;
          break;
        }
        at[l] += shift[c];
      }
    }
    if (found) {
      found_[id] = 1;
      --missing_;
    }
  }
}

void StringSearch::SearchWithShifts(std::string_view text) {
  const size_t m = window_;
  const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  // `end` is the last byte of the window of m bytes being looked at.
  for (size_t end = m - 1; end < n;) {
    const size_t h = Pair(upper_[t[end - 1]], upper_[t[end]]);
    const size_t shift = shift_[h];
    if (shift != 0) {
      end += shift;
      continue;
    }
    const size_t start = end + 1 - m;
    for (uint32_t k = bucket_start_[h]; k < bucket_start_[h + 1]; ++k) {
      const uint32_t id = ids_[k];
      if (found_[id]) continue;
      const std::string& s = strings_[id];
      if (n - start < s.size()) continue;
      size_t i = 0;
      while (i < s.size() && upper_[t[start + i]] == ByteAt(s, i)) ++i;
      if (i == s.size()) {
        found_[id] = 1;
        if (--missing_ == 0) return;
      }
    }
    ++end;
  }
}

void StringSearch::SearchWithAutomaton(std::string_view text) {
  automaton_.ClearMarks();
  automaton_.Feed(PatternAutomaton::kRoot, text, Reading::kForward,
                  automaton_.marks());
  automaton_.SpreadMarks();
  for (size_t i = 0; i < strings_.size(); ++i) {
    if (!found_[i] && automaton_.marked(ends_[i])) {
      found_[i] = 1;
      --missing_;
    }
  }
}

}  // namespace mavoscan
