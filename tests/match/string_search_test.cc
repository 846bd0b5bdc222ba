#include "match/string_search.h"

#include <gtest/gtest.h>

#include <random>

#include "common/text.h"

namespace mavoscan {
namespace {

// Every way of searching must agree with a plain find in the upper-cased
// text: strings taken from the text (so present), the same with a byte
// changed (mostly absent), at the very start and end, overlapping, and
// longer than the shift limit of a byte.
TEST(StringSearch, AgreesWithPlainFindForEveryMethod) {
  const struct {
    const char* name;
    size_t count;
    size_t min_length;
    size_t max_length;
  } rows[] = {
      {"a few strings of any length", 12, 1, 40},
      {"many long strings, shifts over pairs", 200, 4, 30},
      {"many strings, a short one among them: automaton", 200, 2, 12},
      {"long strings, some longer than a shift can say", 6, 200, 400},
  };
  std::mt19937 rng(7);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (int round = 0; round < 20; ++round) {
      // A small alphabet with both cases, NUL and high bytes, so that
      // near-misses are common.
      std::string text(3000 + rng() % 2000, ' ');
      const char kAlphabet[] = "aAbB\0\x84\x8E\xFFzZ";
      for (char& c : text) c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
      std::vector<std::string> strings;
      for (size_t i = 0; i < row.count; ++i) {
        const size_t length =
            row.min_length + rng() % (row.max_length - row.min_length + 1);
        const size_t at = i % 5 == 0   ? 0
                          : i % 5 == 1 ? text.size() - length
                                       : rng() % (text.size() - length);
        std::string s = UpperCase(text.substr(at, length));
        if (i % 2 == 1) s[rng() % s.size()] = 'Q';
        strings.push_back(s);
      }
      StringSearch search(strings);
      search.Search(text);
      const std::string upper = UpperCase(text);
      bool all = true;
      for (size_t i = 0; i < strings.size(); ++i) {
        const bool expected = upper.find(strings[i]) != std::string::npos;
        all = all && expected;
        ASSERT_EQ(search.Found(i), expected) << "string " << i;
      }
      EXPECT_EQ(search.AllFound(), all);
    }
  }
}

}  // namespace
}  // namespace mavoscan
