#include "strings/presence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace mavoscan {
namespace {

// A long text is fed on two threads, cut in the middle of its one run. A
// text that occurs only across the cut must still be found, going forward
// and going back.
TEST(Presence, TextAcrossTheThreadCutIsFound) {
  // Raw strings: the one to find whole, one whose longest present suffix
  // is that same text, and one that supplies the pairs going back.
  const std::string backing = "ABCDEFGH|ZZZABCDEFGH|HGFEDCBA";
  const std::vector<std::string_view> accepted = {
      std::string_view(backing).substr(0, 8),
      std::string_view(backing).substr(9, 11),
      std::string_view(backing).substr(21, 8)};
  PresenceTracker presence(accepted);

  // "ABCDEFG" over and over, never followed by "H", except once across the
  // middle; every neighbouring pair occurs in the raw strings, so the whole
  // text is one run. Lower case: matching folds it.
  std::string filler;
  while (filler.size() < 1500000) filler += "abcdefgfedcb";
  std::string text = filler + "abcdefghgfedcb" + filler;
  ASSERT_EQ(text.size() % 2, 0u);
  ASSERT_EQ(text.find("abcdefgh"), text.size() / 2 - 7);
  ASSERT_EQ(text.find("abcdefgh", text.size() / 2), std::string::npos);

  ASSERT_TRUE(presence.Narrow(text, [](uint64_t, uint64_t) { return true; }));
  EXPECT_EQ(presence.prefix(0), 8u);  // found whole
  EXPECT_EQ(presence.prefix(1), 0u);  // "ZZZA..." does not occur
  EXPECT_EQ(presence.suffix(1), 8u);  // "ABCDEFGH" going back
  EXPECT_EQ(presence.prefix(2), 8u);  // after the one "H"
}

// With over a megabyte of raw strings (and words) a pass looks for their
// first bytes first and for more of those found that far in later rounds;
// what is found must be what a single full look finds.
TEST(Presence, LongRawStringsAreFoundInRounds) {
  std::mt19937 rng(5);
  std::string backing;
  const size_t count = 4000;
  const size_t length = 300;
  for (size_t i = 0; i < count; ++i) {
    // Pads and other bytes aside; 48 kinds make chance matches of 8 bytes
    // or more unlikely.
    static const char kBytes[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+_.$(){}~*%";
    for (size_t k = 0; k < length; ++k) backing += kBytes[rng() % 48];
  }
  std::vector<std::string_view> accepted;
  for (size_t i = 0; i < count; ++i) {
    accepted.push_back(std::string_view(backing).substr(i * length, length));
  }
  PresenceTracker presence(accepted);
  for (std::string_view r : accepted) presence.AddWord(r);  // one word each
  // Each raw string's first `head` and last `tail` bytes occur, between
  // bytes that end every match.
  std::vector<size_t> heads;
  std::vector<size_t> tails;
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    const size_t choices[] = {8, 10, 63, 64, 65, 200, length - 1, length};
    heads.push_back(choices[rng() % 8]);
    tails.push_back(heads.back() == length ? length : choices[rng() % 7]);
    text += "#" + std::string(accepted[i].substr(0, heads.back())) + "#" +
            std::string(accepted[i].substr(length - tails.back())) + "#";
  }
  ASSERT_TRUE(presence.Narrow(text, [](uint64_t, uint64_t) { return true; }));
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(presence.prefix(i), heads[i]) << "raw string " << i;
    ASSERT_EQ(presence.suffix(i), tails[i]) << "raw string " << i;
    ASSERT_EQ(presence.word_present(
                  static_cast<size_t>(presence.WordId(accepted[i]))),
              heads[i] == length)
        << "raw string " << i;
  }
}

TEST(Presence, StopsWhenTheReportSaysSo) {
  const std::string backing = "ABCDEFGH";
  const std::vector<std::string_view> accepted = {backing};
  PresenceTracker presence(accepted);
  std::string text;
  while (text.size() < 3000000) text += "ABCDEFG ";
  int reports = 0;
  EXPECT_FALSE(
      presence.Narrow(text, [&](uint64_t, uint64_t) { return ++reports < 2; }));
}

}  // namespace
}  // namespace mavoscan
