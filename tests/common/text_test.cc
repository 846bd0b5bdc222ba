#include "common/text.h"

#include <gtest/gtest.h>

#include "common/console.h"
#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

TEST(Text, UpperCaseChangesLettersAndSevenCodePageLetters) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  std::string upper = UpperCase(all);
  for (int i = 0; i < 256; ++i) {
    int expected = i;
    if (i >= 'a' && i <= 'z') expected = i - 32;
    switch (i) {
      case 132:
        expected = 142;
        break;
      case 148:
        expected = 153;
        break;
      case 129:
        expected = 154;
        break;
      case 130:
        expected = 144;
        break;
      case 164:
        expected = 165;
        break;
      case 134:
        expected = 143;
        break;
      case 135:
        expected = 128;
        break;
    }
    EXPECT_EQ(ByteAt(upper, i), expected) << "byte " << i;
  }
  ASSERT_EQ(upper.size(), 256u);  // NUL stays an ordinary byte
}

TEST(Text, ConsoleNumberHasSpaceOrSign) {
  EXPECT_EQ("Found" + ConsoleNumber(12), "Found 12");
  EXPECT_EQ(ConsoleNumber(0), " 0");
  EXPECT_EQ(ConsoleNumber(-3), "-3");
  EXPECT_EQ(ConsoleNumber(4294967296LL), " 4294967296");
}

TEST(Console, ProgressOnTerminalRewritesInPlace) {
  FakePlatform fake;
  fake.SetTerminal(true);
  ProgressLine line(fake, "Phase 1...");
  line.Show(5);
  line.Show(5);
  line.Show(37);
  line.Finish();
  EXPECT_EQ(fake.screen_log(),
            "Phase 1...{col 10} 5%{col 10} 37%{col 10} 100%\r\n");
}

TEST(Console, RedirectedProgressShowsOnlyTheFinalValue) {
  FakePlatform fake;
  {
    HiddenCursor hidden(fake);
    ProgressLine line(fake, "Phase 1...");
    line.Show(5);
    line.Show(99);
    line.Finish();
  }
  EXPECT_EQ(fake.screen_log(), "Phase 1... 100%\r\n");
}

TEST(Console, HiddenCursorIsShownOnEveryWayOut) {
  FakePlatform fake;
  fake.SetTerminal(true);
  auto pass = [&fake](bool abort) {
    HiddenCursor hidden(fake);
    if (abort) return false;
    PrintLine(fake, "done");
    return true;
  };
  pass(true);
  pass(false);
  EXPECT_EQ(fake.screen_log(), "{hide}{show}{hide}done\r\n{show}");
}

TEST(Console, EscapePressedConsumesOtherKeys) {
  FakePlatform fake;
  fake.QueueKey('a');
  fake.QueueKey(kEscapeKey, 1);
  EXPECT_FALSE(EscapePressed(fake));  // 'a' taken and ignored
  EXPECT_FALSE(EscapePressed(fake));  // nothing pending yet
  EXPECT_TRUE(EscapePressed(fake));
  EXPECT_FALSE(EscapePressed(fake));
}

}  // namespace
}  // namespace mavoscan
