#include <csignal>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

constexpr char kHideCursor[] = "\x1b[?25l";
constexpr char kShowCursor[] = "\x1b[?25h";

// A dozen samples of about 8 MiB, each one long run of letters behind a
// common header: the string passes over them take far longer than it takes
// to press a key.
void WriteLongSamples(const TempDir& dir) {
  constexpr size_t kSize = 8 << 20;
  std::string letters(kSize, 'A');
  for (size_t i = 0; i < kSize; ++i) {
    letters[i] = static_cast<char>('A' + (i * 7 + i / 26) % 26);
  }
  for (int i = 0; i < 12; ++i) {
    std::string sample = "MVX1\xff" + letters.substr(0, kSize - 4096 * i);
    dir.Write("s" + std::to_string(10 + i) + ".big", sample);
  }
}

// The cursor is hidden during the passes and shown again at the end.
void ExpectCursorShownAgain(const std::string& output) {
  size_t hidden = output.find(kHideCursor);
  ASSERT_NE(hidden, std::string::npos);
  size_t shown = output.rfind(kShowCursor);
  ASSERT_NE(shown, std::string::npos);
  EXPECT_GT(shown, hidden);
  EXPECT_EQ(output.find(kHideCursor, shown), std::string::npos);
}

TEST(TerminalRun, EscapeAbortsTheStringPasses) {
  TempDir dir;
  WriteLongSamples(dir);
  PtyResult run = dir.RunOnTerminal({"*.big"}, {"Phase", "Erasing"},
                                    PtyAction::kSendEscape, 240);
  ASSERT_FALSE(run.timed_out) << run.output.substr(0, 2000);
  EXPECT_TRUE(run.trigger_seen);
  EXPECT_NE(run.output.find("Aborted...\r\n"), std::string::npos)
      << run.output.substr(0, 2000);
  EXPECT_EQ(run.output.find("Finished!"), std::string::npos);
  EXPECT_EQ(run.exit_code, 1);
  ExpectCursorShownAgain(run.output);
  EXPECT_TRUE(run.terminal_restored);
  EXPECT_FALSE(dir.Exists("newtype.mavo.xml"));
}

TEST(TerminalRun, InterruptRestoresCursorAndTerminal) {
  TempDir dir;
  WriteLongSamples(dir);
  PtyResult run = dir.RunOnTerminal({"*.big"}, {"Phase", "Erasing"},
                                    PtyAction::kSendInterrupt, 240);
  ASSERT_FALSE(run.timed_out) << run.output.substr(0, 2000);
  EXPECT_TRUE(run.trigger_seen);
  EXPECT_NE(run.exit_code, 0);
  EXPECT_EQ(run.output.find("Finished!"), std::string::npos);
  ExpectCursorShownAgain(run.output);
  EXPECT_TRUE(run.terminal_restored);
  EXPECT_FALSE(dir.Exists("newtype.mavo.xml"));
}

}  // namespace
}  // namespace mavoscan::e2e
