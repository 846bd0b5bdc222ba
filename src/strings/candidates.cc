#include "strings/candidates.h"

#include "strings/raw_strings.h"

namespace mavoscan {
namespace {

size_t CountNonPads(std::string_view s) {
  size_t count = 0;
  for (char c : s) count += IsPadByte(c) ? 0 : 1;
  return count;
}

// The candidate list's append rule: at least 4 bytes and not equal to the
// text appended last. Views of the same bytes compare in O(1); views of
// different lengths too, so a run of prefixes or suffixes costs O(1) each.
class Appender {
 public:
  bool Add(std::string_view s) {
    if (s.size() < kMinStringLength) return false;
    if (s.size() == last_.size() && (s.data() == last_.data() || s == last_)) {
      return false;
    }
    last_ = s;
    ++count_;
    return true;
  }
  int64_t count() const { return count_; }

 private:
  std::string_view last_;
  int64_t count_ = 0;
};

}  // namespace

int64_t WalkCandidates(
    const std::vector<std::string_view>& accepted,
    const std::function<void(size_t, std::string_view, int64_t)>& on_word,
    const std::function<void(size_t, const RawLayout&)>& on_raw) {
  Appender appender;
  for (size_t a = 0; a < accepted.size(); ++a) {
    const std::string_view r = accepted[a];
    const size_t length = r.size();
    RawLayout layout;
    layout.first_index = appender.count();
    layout.whole_added = appender.Add(r);
    // A prefix or suffix that ends (starts) in a pad byte trims to the next
    // shorter one, which the append rule then takes once: only lengths with a
    // non-pad byte at the cut make candidates, so each length costs O(1).
    for (size_t m = length - 1; m >= kMinStringLength; --m) {
      if (!IsPadByte(r[m - 1]) && appender.Add(r.substr(0, m))) {
        ++layout.prefix_count;
      }
    }
    bool first_suffix = true;
    for (size_t start = 1; start + kMinStringLength <= length; ++start) {
      if (IsPadByte(r[start])) continue;
      if (appender.Add(r.substr(start))) {
        ++layout.suffix_count;
      } else if (first_suffix) {
        layout.first_suffix_skipped = true;
      }
      first_suffix = false;
    }
    size_t word_start = 0;
    for (size_t i = 0; i <= length; ++i) {
      if (i < length && !IsPadByte(r[i])) continue;
      std::string_view word = r.substr(word_start, i - word_start);
      if (appender.Add(word)) on_word(a, word, appender.count() - 1);
      word_start = i + 1;
    }
    on_raw(a, layout);
  }
  return appender.count();
}

size_t ClipPrefix(std::string_view r, size_t limit) {
  if (limit >= r.size()) return r.size();
  size_t m = limit;
  while (m >= kMinStringLength && IsPadByte(r[m - 1])) --m;
  return m >= kMinStringLength ? m : 0;
}

size_t ClipSuffix(std::string_view r, size_t limit) {
  if (limit >= r.size()) return r.size();
  size_t n = limit;
  while (n >= kMinStringLength && IsPadByte(r[r.size() - n])) --n;
  return n >= kMinStringLength ? n : 0;
}

int64_t PrefixIndex(std::string_view r, const RawLayout& layout, size_t m) {
  // Prefix candidates come longest first: count those longer than m.
  const size_t longer = CountNonPads(r.substr(m, r.size() - 1 - m));
  return layout.first_index + (layout.whole_added ? 1 : 0) +
         static_cast<int64_t>(longer);
}

int64_t SuffixIndex(std::string_view r, const RawLayout& layout, size_t n) {
  const size_t start = r.size() - n;
  const size_t longer = CountNonPads(r.substr(1, start - 1));
  if (longer == 0 && layout.first_suffix_skipped) return -1;
  return layout.first_index + (layout.whole_added ? 1 : 0) +
         static_cast<int64_t>(layout.prefix_count + longer) -
         (layout.first_suffix_skipped ? 1 : 0);
}

}  // namespace mavoscan
