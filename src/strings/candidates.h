#ifndef MAVOSCAN_STRINGS_CANDIDATES_H_
#define MAVOSCAN_STRINGS_CANDIDATES_H_

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace mavoscan {

// Where the candidates of one accepted raw string r (trimmed, L bytes) stand
// in the candidate list. The list is never built: r, its prefixes, suffixes
// and words are views into r, and their indices follow from these counts.
//
// Prefix candidates are the texts r[0, m) for every m from L - 1 down to 4
// with a non-pad byte at m - 1 (other lengths trim to one of these); all of
// them are appended. Suffix candidates are r[s, L) for s from 1 up to L - 4
// with a non-pad byte at s; only the first can equal the text appended just
// before it and be dropped.
struct RawLayout {
  int64_t first_index = 0;  // 0-based index of the block's first candidate
  size_t prefix_count = 0;
  size_t suffix_count = 0;  // appended ones
  bool whole_added = false;
  bool first_suffix_skipped = false;
};

// Walks the candidate list that `accepted` (trimmed raw strings in list
// order) makes, without building it. For raw string a, calls on_word(a,
// word, index) for every word appended, then on_raw(a, layout). Returns the
// candidate count.
int64_t WalkCandidates(
    const std::vector<std::string_view>& accepted,
    const std::function<void(size_t, std::string_view, int64_t)>& on_word,
    const std::function<void(size_t, const RawLayout&)>& on_raw);

// The longest prefix candidate length of r that is at most `limit`: L when
// limit >= L (r itself), else the largest m <= limit with a non-pad byte at
// m - 1, or 0 when none has 4 bytes.
size_t ClipPrefix(std::string_view r, size_t limit);
// The same for suffixes: L, or the largest length n <= limit whose first
// byte r[L - n] is not a pad, or 0.
size_t ClipSuffix(std::string_view r, size_t limit);

// Index of the prefix candidate r[0, m) (m as ClipPrefix returns, m < L).
int64_t PrefixIndex(std::string_view r, const RawLayout& layout, size_t m);
// Index of the suffix candidate of n bytes (n as ClipSuffix returns,
// n < L); -1 when that suffix was dropped as equal to the text before it.
int64_t SuffixIndex(std::string_view r, const RawLayout& layout, size_t n);

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_CANDIDATES_H_
