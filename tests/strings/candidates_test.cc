#include "strings/candidates.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "strings/raw_strings.h"
#include "support/string_oracle.h"

namespace mavoscan {
namespace {

using Strings = std::vector<std::string>;

bool IsPad(char c) { return c == '\0' || c == ' '; }

// The candidate list the layouts describe, built out in full; also checks
// that PrefixIndex and SuffixIndex name the place of every prefix and
// suffix candidate.
Strings Expand(const Strings& raw) {
  std::vector<std::string_view> views(raw.begin(), raw.end());
  std::vector<std::string_view> accepted = AcceptRawStrings(views);
  Strings list;
  std::vector<std::pair<int64_t, std::string>> words;
  const int64_t count = WalkCandidates(
      accepted,
      [&](size_t, std::string_view word, int64_t index) {
        words.emplace_back(index, std::string(word));
      },
      [&](size_t a, const RawLayout& layout) {
        const std::string_view r = accepted[a];
        EXPECT_EQ(layout.first_index, static_cast<int64_t>(list.size()));
        if (layout.whole_added) list.emplace_back(r);
        for (size_t m = r.size() - 1; m >= 4; --m) {
          if (IsPad(r[m - 1])) continue;
          EXPECT_EQ(PrefixIndex(r, layout, m),
                    static_cast<int64_t>(list.size()));
          list.emplace_back(r.substr(0, m));
        }
        bool first = true;
        for (size_t s = 1; s + 4 <= r.size(); ++s) {
          if (IsPad(r[s])) continue;
          const int64_t index = SuffixIndex(r, layout, r.size() - s);
          if (first && layout.first_suffix_skipped) {
            EXPECT_EQ(index, -1);
          } else {
            EXPECT_EQ(index, static_cast<int64_t>(list.size()));
            list.emplace_back(r.substr(s));
          }
          first = false;
        }
        for (const auto& [index, word] : words) {
          EXPECT_EQ(index, static_cast<int64_t>(list.size()));
          list.push_back(word);
        }
        words.clear();
      });
  EXPECT_EQ(count, static_cast<int64_t>(list.size()));
  return list;
}

TEST(Candidates, LayoutsDescribeTheCandidateList) {
  const std::vector<Strings> rows = {
      {"HELLO WORLD"},
      {"AB  CD"},
      {"ABCD"},
      {"AAAAA"},  // its 4-byte suffix equals the prefix before it
      {"ABCD EFGH", "EFGH"},
      {"WXYZ1 AB", " A", std::string("\0WXYZ1 AB", 9)},
      {"ABCD", " XYZW", std::string("\0ABCD", 5)},
      {std::string("H\0I\0J\0K\0", 8), "  \0 ", "X  Y  Z  W"},
  };
  for (const Strings& raw : rows) {
    EXPECT_EQ(Expand(raw), oracle::MakeCandidates(raw)) << raw[0];
  }
}

TEST(Candidates, LayoutsMatchTheRulesOnRandomRawStrings) {
  std::mt19937 rng(11);
  const char kBytes[] = {'A', 'A', 'B', 'C', ' ', ' ', '\0', 'D'};
  for (int round = 0; round < 300; ++round) {
    Strings raw;
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i) {
      std::string s;
      const int length = static_cast<int>(rng() % 16);
      for (int k = 0; k < length; ++k) s += kBytes[rng() % 8];
      raw.push_back(s);
    }
    ASSERT_EQ(Expand(raw), oracle::MakeCandidates(raw)) << "round " << round;
  }
}

TEST(Candidates, ClippedLengthsEndOnANonPadByte) {
  EXPECT_EQ(ClipPrefix("ABCD EFGH", 9), 9u);
  EXPECT_EQ(ClipPrefix("ABCD EFGH", 8), 8u);
  EXPECT_EQ(ClipPrefix("ABCD EFGH", 5), 4u);
  EXPECT_EQ(ClipPrefix("AB  EFGH", 4), 0u);
  EXPECT_EQ(ClipSuffix("ABCD EFGH", 5), 4u);
  EXPECT_EQ(ClipSuffix("ABCD EFGH", 6), 6u);
  EXPECT_EQ(ClipSuffix("ABCD  GH", 4), 0u);
}

}  // namespace
}  // namespace mavoscan
