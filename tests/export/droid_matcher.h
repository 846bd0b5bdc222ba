#ifndef MAVOSCAN_TESTS_EXPORT_DROID_MATCHER_H_
#define MAVOSCAN_TESTS_EXPORT_DROID_MATCHER_H_

#include <string>
#include <string_view>
#include <vector>

namespace mavoscan::export_test {

// A small reader of DROID signature files, written from the format's
// documented rules rather than from DROID itself: an internal signature
// matches when every byte sequence does; a BOFoffset sequence's first
// subsequence starts between SubSeqMinOffset and SubSeqMaxOffset from the
// beginning of the file, a Variable one anywhere in the bytes scanned (the
// first 65536 by default). Sequences are hexadecimal with "(a|b)"
// alternatives, "??" for any byte and "{n}" / "{n-m}" gaps. Only the first
// subsequence of each byte sequence is read, which is all an export writes.
class DroidMatcher {
 public:
  // Returns false with *err set when `xml` is not a signature file this
  // reader understands.
  bool Load(std::string_view xml, std::string* err);
  bool Matches(std::string_view file) const;

 private:
  struct Element {
    bool any = false;     // ??
    std::string choices;  // the bytes allowed here
    size_t gap_min = 0;   // a gap before this element
    size_t gap_max = 0;
  };
  struct Sequence {
    bool variable = false;
    size_t min_offset = 0;
    size_t max_offset = 0;
    std::vector<Element> elements;
  };
  bool MatchesAt(const Sequence& sequence, std::string_view file, size_t at,
                 size_t element) const;

  std::vector<Sequence> sequences_;
  size_t scan_length_ = 65536;
};

}  // namespace mavoscan::export_test

#endif  // MAVOSCAN_TESTS_EXPORT_DROID_MATCHER_H_
