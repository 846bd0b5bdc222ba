#include "frontblock/pattern_scan.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

const PositionLimit kOpenMask = PositionLimit::Everywhere();

// A limit that allows the positions where `bits` holds "1".
PositionLimit Limit(std::string_view bits) {
  PositionLimit limit(bits.size());
  for (size_t i = 0; i < bits.size(); ++i) {
    if (bits[i] == '1') limit.Allow(i);
  }
  return limit;
}

// Entry 0 empty (no base definition), then the samples.
std::vector<std::string> Blocks(std::vector<std::string> samples) {
  samples.insert(samples.begin(), std::string());
  return samples;
}

std::string Describe(const PatternList& patterns) {
  std::string text;
  for (const Pattern& p : patterns) {
    text += std::to_string(p.pos) + ":" + std::to_string(p.bytes.size()) + " ";
  }
  return text;
}

TEST(PatternScan, FindsRunsSharedByEverySample) {
  std::string base(2048, '\0');
  for (size_t i = 0; i < base.size(); ++i) base[i] = static_cast<char>(i * 7);
  std::string differs_at_10 = base;
  differs_at_10[10] ^= 0x55;
  std::string negated = base;
  for (char& c : negated) c = static_cast<char>(~c);
  std::string only_5 = negated;
  only_5[5] = base[5];

  struct Row {
    const char* name;
    std::vector<std::string> samples;
    int header_block_size;
    std::string expected;  // "pos:length " per pattern
  };
  const Row rows[] = {
      {"identical", {base, base}, 2048, "0:2048 "},
      {"difference at 10", {base, differs_at_10, base}, 2048, "0:10 11:2037 "},
      {"difference in last sample",
       {base, base, differs_at_10},
       2048,
       "0:10 11:2037 "},
      {"single common byte", {base, only_5}, 2048, "5:1 "},
      {"nothing common", {base, negated}, 2048, ""},
      {"header block 0", {base, base}, 0, ""},
      {"header block bounds the scan", {base, base}, 100, "0:100 "},
      {"NUL and high bytes compare as bytes",
       {std::string("\0\xFF\x80", 3), std::string("\0\xFF\x7F", 3)},
       3,
       "0:2 "},
  };
  for (const Row& row : rows) {
    PatternList patterns = FindPatterns(
        Blocks(row.samples), row.header_block_size, kOpenMask, false);
    EXPECT_EQ(Describe(patterns), row.expected) << row.name;
    for (const Pattern& p : patterns) {
      EXPECT_EQ(p.bytes, row.samples[0].substr(p.pos, p.bytes.size()))
          << row.name << " at " << p.pos;
    }
  }
}

TEST(PatternScan, RefinementNarrowsBasePatterns) {
  // The base definition covers offsets 4 to 7 with "ABCD"; the new samples
  // share "ABXD" there and more bytes elsewhere.
  std::string base_block = "    ABCD";
  PositionLimit mask = Limit("00001111");
  std::string sample = "zzzzABXDzzzz";
  struct Row {
    const char* name;
    std::vector<std::string> samples;
    int header_block_size;
    std::string expected;
  };
  const Row rows[] = {
      {"split around the changed byte", {sample, sample}, 8, "4:2 7:1 "},
      {"short sample cuts the tail", {sample, sample.substr(0, 6)}, 6, "4:2 "},
  };
  for (const Row& row : rows) {
    std::vector<std::string> blocks = row.samples;
    blocks.insert(blocks.begin(), base_block);
    PatternList patterns =
        FindPatterns(blocks, row.header_block_size, mask, true);
    EXPECT_EQ(Describe(patterns), row.expected) << row.name;
    ASSERT_FALSE(patterns.empty()) << row.name;
    EXPECT_EQ(patterns[0].bytes, "AB") << row.name;
  }
  // The base block must agree too, even where all new samples do.
  PatternList patterns =
      FindPatterns({"    AXCD", sample, sample}, 8, mask, true);
  EXPECT_EQ(Describe(patterns), "4:1 7:1 ");
}

TEST(PatternScan, OnlyAllowedPositionsHoldPatterns) {
  std::string sample = "abcdef";
  PatternList patterns =
      FindPatterns(Blocks({sample, sample}), 6, Limit("101101"), false);
  EXPECT_EQ(Describe(patterns), "0:1 2:2 5:1 ");
}

TEST(PatternScan, MalformedInputNeverReadsPastAnyString) {
  std::string sample(20, 'q');
  struct Row {
    const char* name;
    std::vector<std::string> blocks;
    int header_block_size;
    PositionLimit mask;
    bool refining;
    std::string expected;
  };
  const Row rows[] = {
      {"no sample", {""}, 20, kOpenMask, false, ""},
      {"no blocks at all", {}, 20, kOpenMask, false, ""},
      {"short mask", {"", sample, sample}, 20, Limit("11111"), false, "0:5 "},
      {"short later block", {"", sample, "qqq"}, 20, kOpenMask, false, "0:3 "},
      {"short first block", {"", "qq", sample}, 20, kOpenMask, false, "0:2 "},
      {"short base block",
       {"qqqq", sample, sample},
       20,
       kOpenMask,
       true,
       "0:4 "},
      {"negative size", {"", sample, sample}, -5, kOpenMask, false, ""},
      {"size beyond the front block",
       {"", sample, sample},
       5000,
       kOpenMask,
       false,
       "0:20 "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Describe(FindPatterns(row.blocks, row.header_block_size, row.mask,
                                    row.refining)),
              row.expected)
        << row.name;
  }
}

TEST(PatternScan, ConsoleLines) {
  std::string a = "MZ\x90-abc-PK";
  std::string b = "MZ\x90+xyz+PK";
  FakePlatform fake;
  PatternList patterns =
      ScanPatterns(fake, Blocks({a, b}), 10, kOpenMask, false);
  EXPECT_EQ(patterns.size(), 2u);
  EXPECT_EQ(fake.output(),
            "Scanning for patterns...\r\nPattern(s) found: 2\r\n"
            "Last Pattern end at offset: 9\r\n");

  FakePlatform none;
  EXPECT_TRUE(
      ScanPatterns(none, Blocks({"ab", "cd"}), 2, kOpenMask, false).empty());
  EXPECT_EQ(none.output(),
            "Scanning for patterns...\r\nPattern(s) found: 0\r\n");
}

}  // namespace
}  // namespace mavoscan
