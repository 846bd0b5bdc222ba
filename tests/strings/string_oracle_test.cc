#include "support/string_oracle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mavoscan {
namespace {

using Strings = std::vector<std::string>;

std::string Bytes(const char* text, size_t size) {
  return std::string(text, size);
}

TEST(StringOracle, CandidatesFollowTheRules) {
  struct Row {
    const char* name;
    Strings raw;
    Strings expected;
  };
  const Row rows[] = {
      {"hello world: prefixes, suffixes, words, repeats dropped",
       {"HELLO WORLD"},
       {"HELLO WORLD", "HELLO WORL", "HELLO WOR", "HELLO WO", "HELLO W",
        "HELLO", "HELL", "ELLO WORLD", "LLO WORLD", "LO WORLD", "O WORLD",
        "WORLD", "ORLD", "HELLO", "WORLD"}},
      {"two spaces: trimmed 4-byte parts and words are too short",
       {"AB  CD"},
       {"AB  CD", "AB  C", "B  CD"}},
      {"four bytes give one candidate", {"ABCD"}, {"ABCD"}},
      {"single word is appended again as its word",
       {"ABCDE"},
       {"ABCDE", "ABCD", "BCDE", "ABCDE"}},
      {"pads only or too short after trimming",
       {Bytes("\0 \0 \0", 5), " ABC ", Bytes("\0AB\0", 4), ""},
       {}},
      {"last added carries over to the next raw string",
       {"ABCD EFGH", "EFGH"},
       {"ABCD EFGH", "ABCD EFG", "ABCD EF", "ABCD E", "ABCD", "BCD EFGH",
        "CD EFGH", "D EFGH", "EFGH", "ABCD", "EFGH"}},
      {"previous is the last accepted string, not the entry before",
       {"WXYZ1 AB", " A", Bytes("\0WXYZ1 AB", 9)},
       {"WXYZ1 AB", "WXYZ1 A", "WXYZ1", "WXYZ", "XYZ1 AB", "YZ1 AB", "Z1 AB",
        "1 AB", "WXYZ1"}},
      {"equal after trimming but apart in sorted order",
       {"ABCD", " XYZW", Bytes("\0ABCD", 5)},
       {"ABCD", "XYZW", "ABCD"}},
      {"exact repeats give their candidates once",
       {"QRST", "QRST", "QRST "},
       {"QRST"}},
      {"NUL inside splits words and is trimmed like a space",
       {Bytes("H\0I\0J\0K\0", 8)},
       {Bytes("H\0I\0J\0K", 7), Bytes("H\0I\0J", 5), Bytes("I\0J\0K", 5)}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(oracle::MakeCandidates(row.raw), row.expected) << row.name;
  }
}

TEST(StringOracle, ErasureKeepsLongestTextsAtTheirLastCopy) {
  struct Row {
    const char* name;
    Strings candidates;
    Strings expected;
  };
  const Row rows[] = {
      {"parts of a longer string go",
       {"HELLO WORLD", "HELLO", "WORLD", "ORLD"},
       {"HELLO WORLD"}},
      {"equal copies at 3 and 9 keep the place of the last",
       {"WXYZ", "PQRS", "ABCD", "EFGH", "QRST", "IJKL", "MNOP", "STUV", "ABCD"},
       {"WXYZ", "PQRS", "EFGH", "QRST", "IJKL", "MNOP", "STUV", "ABCD"}},
      {"same length, neither inside the other",
       {"ABCD", "BCDE"},
       {"ABCD", "BCDE"}},
      {"blank entries are neither kept nor containers",
       {"", "ABCD", "", "XABCDX"},
       {"XABCDX"}},
      {"NUL bytes are ordinary",
       {Bytes("A\0BC", 4), Bytes("XA\0BCX", 6)},
       {Bytes("XA\0BCX", 6)}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(oracle::EraseContained(row.candidates), row.expected) << row.name;
  }
}

TEST(StringOracle, LengthOrderFollowsTheGapProcedure) {
  struct Row {
    const char* name;
    Strings strings;
    Strings expected;
  };
  const Row rows[] = {
      {"longer first, equal lengths not swapped directly",
       {"ABC1", "LONGER STRING", "ABC2"},
       {"LONGER STRING", "ABC1", "ABC2"}},
      {"a gap swap reorders equal lengths",
       {"AAAA", "BBBB", "LONGER", "CCCC"},
       {"LONGER", "BBBB", "AAAA", "CCCC"}},
      {"short ones travel right one sweep at a time",
       {"A", "BB", "C", "DD"},
       {"BB", "DD", "A", "C"}},
      {"one entry", {"ABCD"}, {"ABCD"}},
      {"none", {}, {}},
  };
  for (const Row& row : rows) {
    Strings s = row.strings;
    oracle::OrderByLength(&s);
    EXPECT_EQ(s, row.expected) << row.name;
  }
}

TEST(StringOracle, FieldsSplitAtEveryDelimiter) {
  EXPECT_EQ(oracle::CutFields("ABC DEF|GHIJ"), (Strings{"ABC DEF", "GHIJ"}));
  EXPECT_EQ(oracle::CutFields("AB!!CD"), (Strings{"AB", "", "CD"}));
  EXPECT_EQ(oracle::CutFields(std::string(5, '\0')),
            (Strings{std::string(5, '\0')}));
  EXPECT_EQ(oracle::CutFields(Bytes("|H\0I\0|", 6)),
            (Strings{"", Bytes("H\0I\0", 4), ""}));
  EXPECT_EQ(oracle::CutFields("'"), (Strings{"", ""}));
}

}  // namespace
}  // namespace mavoscan
