#include "strings/pattern_automaton.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

namespace mavoscan {
namespace {

using namespace std::literals;

// Every row is built into the same automaton, one after the other, so that
// a rebuild that keeps anything of the build before it shows too.
TEST(PatternAutomaton, FindsTheLongestPrefixOfEachPatternInAText) {
  constexpr size_t kLarge = PatternAutomaton::kSmallTable;
  // A table of the root's row only: every other step follows failure links.
  constexpr size_t kRootRowOnly = 1;
  struct Row {
    const char* name;
    std::vector<std::string_view> patterns;
    Reading reading;
    CaseMatch case_match;
    size_t table_bytes;
    std::string_view text;
    std::vector<uint32_t> longest;  // per pattern, as it reads
  };
  const Row rows[] = {
      {"whole and partial prefixes",
       {"ABCD", "ABXY", "BCDE"},
       Reading::kForward,
       CaseMatch::kExact,
       kLarge,
       "ZZABCDZZ",
       {4, 2, 3}},
      {"exact case does not fold the text",
       {"ABCD", "ABXY", "BCDE"},
       Reading::kForward,
       CaseMatch::kExact,
       kLarge,
       "zzabcdzz",
       {0, 0, 0}},
      {"folded case",
       {"ABCD", "ABXY", "BCDE"},
       Reading::kForward,
       CaseMatch::kFolded,
       kLarge,
       "zzabcdzz",
       {4, 2, 3}},
      {"folded case through deep steps only",
       {"ABCD", "ABXY", "BCDE"},
       Reading::kForward,
       CaseMatch::kFolded,
       kRootRowOnly,
       "zzabcdzz",
       {4, 2, 3}},
      {"a match found through a failure link",
       {"ABABC", "BABD"},
       Reading::kForward,
       CaseMatch::kExact,
       kLarge,
       "ABABABD",
       {4, 4}},
      {"the same through deep steps only",
       {"ABABC", "BABD"},
       Reading::kForward,
       CaseMatch::kExact,
       kRootRowOnly,
       "ABABABD",
       {4, 4}},
      {"backward: suffixes, the text read from its end",
       {"ABCD", "XBCD", "ABCE"},
       Reading::kBackward,
       CaseMatch::kExact,
       kLarge,
       "ZZABCDZZ",
       {4, 3, 0}},
      {"backward through deep steps only",
       {"ABCD", "XBCD", "ABCE"},
       Reading::kBackward,
       CaseMatch::kExact,
       kRootRowOnly,
       "ZZABCDZZ",
       {4, 3, 0}},
      {"repeated and empty patterns",
       {"ABC", "", "ABC"},
       Reading::kForward,
       CaseMatch::kExact,
       kLarge,
       "xABCx",
       {3, 0, 3}},
      {"NUL and high bytes are ordinary bytes",
       {"\x00\xFF\x80"
        "A"sv,
        "\xFF\x80"
        "B"sv},
       Reading::kForward,
       CaseMatch::kExact,
       kLarge,
       "\x01\x00\xFF\x80"
       "A\x00"sv,
       {4, 2}},
      {"folding maps code page letters too",
       {"\x8E"
        "BCD"},
       Reading::kForward,
       CaseMatch::kFolded,
       kLarge,
       "\x84"
       "bcd",
       {4}},
      {"no marks left from the build before",
       {"ABCD"},
       Reading::kForward,
       CaseMatch::kFolded,
       kLarge,
       "",
       {0}},
  };
  PatternAutomaton automaton;
  for (const Row& row : rows) {
    std::vector<PatternAutomaton::State> ends;
    ASSERT_TRUE(automaton.Build(row.patterns,
                                {.reading = row.reading,
                                 .case_match = row.case_match,
                                 .table_bytes = row.table_bytes},
                                &ends, [] { return true; }))
        << row.name;
    automaton.Feed(PatternAutomaton::kRoot, row.text, row.reading,
                   automaton.marks());
    automaton.SpreadMarks();
    std::vector<uint32_t> lengths;
    automaton.LongestMarkedPrefixes(&lengths);
    std::vector<uint32_t> longest;
    for (PatternAutomaton::State end : ends) longest.push_back(lengths[end]);
    EXPECT_EQ(longest, row.longest) << row.name;
  }
}

// Interleaved lanes must mark exactly what feeding each chunk alone marks,
// chunks of different lengths included.
TEST(PatternAutomaton, LanesMarkWhatSingleFeedsMark) {
  const std::vector<std::string_view> patterns = {"ABRA", "CADABRA", "BRAC",
                                                  "DAB"};
  const std::string_view text = "XABRACADABRAXXABRACDABRACADAB";
  for (const Reading reading : {Reading::kForward, Reading::kBackward}) {
    PatternAutomaton lanes;
    PatternAutomaton alone;
    std::vector<PatternAutomaton::State> ends;
    const PatternAutomaton::BuildOptions options{.reading = reading};
    ASSERT_TRUE(lanes.Build(patterns, options, &ends, [] { return true; }));
    ASSERT_TRUE(alone.Build(patterns, options, &ends, [] { return true; }));
    std::array<PatternAutomaton::State, PatternAutomaton::kLanes> states{};
    std::array<std::string_view, PatternAutomaton::kLanes> chunks;
    for (size_t j = 0; j < chunks.size(); ++j) {
      chunks[j] = text.substr(j, 8 + 2 * j);
      alone.Feed(PatternAutomaton::kRoot, chunks[j], reading, alone.marks());
    }
    lanes.FeedLanes(&states, chunks, reading, lanes.marks());
    for (PatternAutomaton::State v = 0; v < alone.node_count(); ++v) {
      EXPECT_EQ(lanes.marked(v), alone.marked(v))
          << "node " << v << (reading == Reading::kBackward ? " backward" : "");
    }
    for (size_t j = 0; j < chunks.size(); ++j) {
      EXPECT_EQ(states[j], alone.Feed(PatternAutomaton::kRoot, chunks[j],
                                      reading, nullptr))
          << "lane " << j;
    }
  }
}

}  // namespace
}  // namespace mavoscan
