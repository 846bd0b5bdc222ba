#include "strings/sample_text.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

TEST(SampleText, LargeSamplesAreReadAsHeadAndTail) {
  struct Row {
    const char* name;
    size_t size;
  };
  // Byte k of the sample is 'a' + k % 26: the text shows which bytes came.
  auto byte_at = [](size_t k) { return static_cast<char>('a' + k % 26); };
  const Row rows[] = {
      {"exactly the limit: whole", kWholeReadLimit},
      {"one byte more: head, bar, tail", kWholeReadLimit + 1},
  };
  for (const Row& row : rows) {
    std::string data(row.size, ' ');
    for (size_t k = 0; k < row.size; ++k) data[k] = byte_at(k);
    FakePlatform fake;
    fake.AddFile("s.bin", data);
    std::string text;
    std::string scratch;
    Failure failure;
    ASSERT_TRUE(ReadSampleText(fake, {"s.bin", 0}, &text, &scratch, &failure))
        << row.name;
    const size_t half = kWholeReadLimit / 2;
    if (row.size <= static_cast<size_t>(kWholeReadLimit)) {
      ASSERT_EQ(text.size(), row.size) << row.name;
      EXPECT_EQ(text[half], byte_at(half) - 32) << row.name;
    } else {
      ASSERT_EQ(text.size(), static_cast<size_t>(kWholeReadLimit) + 1)
          << row.name;
      EXPECT_EQ(text[half - 1], byte_at(half - 1) - 32) << row.name;
      EXPECT_EQ(text[half], '|') << row.name;
      EXPECT_EQ(text[half + 1], byte_at(row.size - half) - 32) << row.name;
      EXPECT_EQ(text.back(), byte_at(row.size - 1) - 32) << row.name;
    }
  }
}

TEST(SampleText, UpperCasesAndKeepsNul) {
  FakePlatform fake;
  fake.AddFile("s.bin", std::string("ab\0\x84\x94z\x81", 7));
  std::string text;
  std::string scratch;
  Failure failure;
  ASSERT_TRUE(ReadSampleText(fake, {"s.bin", 0}, &text, &scratch, &failure));
  EXPECT_EQ(text, std::string("AB\0\x8e\x99Z\x9a", 7));
}

TEST(SampleText, MissingAndUnreadableSamplesFail) {
  FakePlatform fake;
  fake.AddFile("locked.bin", "data");
  fake.MakeUnreadable("locked.bin");
  fake.AddFile(".hidden.bin", "data");
  std::string text;
  std::string scratch;
  Failure failure;
  EXPECT_FALSE(
      ReadSampleText(fake, {"gone.bin", 4}, &text, &scratch, &failure));
  EXPECT_EQ(failure.text, "* Error: Unable to find file <gone.bin>");
  EXPECT_FALSE(
      ReadSampleText(fake, {".hidden.bin", 4}, &text, &scratch, &failure));
  EXPECT_EQ(failure.text, "* Error: Unable to find file <.hidden.bin>");
  EXPECT_FALSE(CheckSampleReadable(fake, {"locked.bin", 4}, &failure));
  EXPECT_EQ(failure.text, "* Error: Unable to open file <locked.bin>");
}

}  // namespace
}  // namespace mavoscan
