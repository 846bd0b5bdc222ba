#include "tune/split.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

// A file of one of two versions: its header, then bytes of its own.
std::string Versioned(bool rare, int index) {
  std::string file = rare ? "\x1E\x02NEWER!" : "\x1A\x01OLDFMT";
  for (int i = 0; i < 40; ++i) {
    file += static_cast<char>(1 + (index * 37 + i * 11) % 253);
  }
  return file;
}

TEST(Split, GroupsWithTheScannersDefinitionAndExtension) {
  const struct {
    const char* name;
    int files;
    std::vector<int> rare;
    bool mixed_names;
    std::vector<size_t> sizes;
    std::vector<std::string> exts;
  } rows[] = {
      {"one version: one group", 6, {}, false, {6}, {"TI"}},
      {"a rare version of 2", 24, {4, 11}, false, {22, 2}, {"TI", "TI"}},
      {"names that differ give no extension",
       24,
       {4, 11},
       true,
       {22, 2},
       {"", "TI"}},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    for (int i = 0; i < row.files; ++i) {
      const bool rare =
          std::find(row.rare.begin(), row.rare.end(), i) != row.rare.end();
      const std::string ext = row.mixed_names && i == 0 ? ".bin" : ".ti";
      fake.AddFile("set/" + std::to_string(100 + i) + ext, Versioned(rare, i));
    }
    std::vector<CrossSample> samples;
    std::string err;
    ASSERT_TRUE(CollectCrossSamples(fake, {"set/*"}, &samples, &err)) << err;
    SplitResult result;
    ASSERT_TRUE(SplitSamples(fake, samples, &result, &err)) << row.name << err;
    EXPECT_EQ(result.grouped, row.sizes.size() > 1) << row.name;
    ASSERT_EQ(result.groups.size(), row.sizes.size()) << row.name;
    for (size_t g = 0; g < result.groups.size(); ++g) {
      const SplitGroup& group = result.groups[g];
      EXPECT_EQ(group.files.size(), row.sizes[g]) << row.name << " " << g;
      EXPECT_EQ(group.ext, row.exts[g]) << row.name << " " << g;
      ASSERT_FALSE(group.definition.patterns.empty()) << row.name;
      // Each group's own header, which the whole set cannot keep.
      EXPECT_EQ(group.definition.patterns[0].pos, 0) << row.name;
      EXPECT_EQ(group.definition.patterns[0].bytes.substr(0, 2),
                samples[group.files[0]].front.substr(0, 2))
          << row.name;
    }
  }
  FakePlatform fake;
  fake.AddFile("one.ti", Versioned(false, 1));
  std::vector<CrossSample> samples;
  std::string err;
  ASSERT_TRUE(CollectCrossSamples(fake, {"one.ti"}, &samples, &err));
  SplitResult result;
  EXPECT_FALSE(SplitSamples(fake, samples, &result, &err));
  EXPECT_EQ(err, "a split needs at least 2 samples; found 1");
}

}  // namespace
}  // namespace mavoscan
