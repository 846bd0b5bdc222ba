#include "strings/presence.h"

#include <gtest/gtest.h>

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
  PresenceTracker presence(accepted, backing);

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

TEST(Presence, StopsWhenTheReportSaysSo) {
  const std::string backing = "ABCDEFGH";
  const std::vector<std::string_view> accepted = {backing};
  PresenceTracker presence(accepted, backing);
  std::string text;
  while (text.size() < 3000000) text += "ABCDEFG ";
  int reports = 0;
  EXPECT_FALSE(
      presence.Narrow(text, [&](uint64_t, uint64_t) { return ++reports < 2; }));
}

}  // namespace
}  // namespace mavoscan
