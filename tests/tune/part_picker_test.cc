#include "tune/part_picker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mavoscan {
namespace {

// Parts as strings of '1' (rejects the file) and '.', one character per
// file; tiers offered in turn, each with the rejections it asks for.
struct Tier {
  std::vector<std::string> parts;
  uint8_t want;
};

TEST(PartPicker, TakesTheSafestTierFirstAndEachFileTwice) {
  const struct {
    const char* name;
    std::vector<Tier> tiers;
    // Per tier, the parts taken, in order.
    std::vector<std::vector<size_t>> taken;
    std::string rejected_by;  // per file, as digits
  } rows[] = {
      {"the part rejecting most first, then one for the rest",
       {{{"11..", "1111", "..11"}, 2}},
       {{1, 0, 2}},
       "2222"},
      {"a tie goes to the first in order",
       {{{"11", "11", "11"}, 2}},
       {{0, 1}},
       "22"},
      {"a riskier tier only for what the safer one left",
       {{{"111.", "111."}, 2}, {{"1111", "...1"}, 2}},
       {{0, 1}, {0, 1}},
       "2222"},
      {"one rejection asked: a part per file no part rejects yet",
       {{{"1..."}, 2}, {{"1111", ".111", "...1"}, 1}},
       {{0}, {0}},
       "2111"},
      {"a file no part rejects stays at zero",
       {{{"1.", "1."}, 2}},
       {{0, 1}},
       "20"},
      {"files past 64 count too",
       {{{std::string(70, '1'), std::string(69, '.') + "1"}, 2}},
       {{0, 1}},
       std::string(69, '1') + "2"},
  };
  for (const auto& row : rows) {
    const size_t files = row.rejected_by.size();
    PartPicker picker(files);
    for (size_t t = 0; t < row.tiers.size(); ++t) {
      std::vector<FileBits> bits;
      for (const std::string& part : row.tiers[t].parts) {
        FileBits one(files);
        for (size_t f = 0; f < part.size(); ++f) {
          if (part[f] == '1') one.Set(f);
        }
        bits.push_back(one);
      }
      std::vector<const FileBits*> offered;
      for (const FileBits& one : bits) offered.push_back(&one);
      EXPECT_EQ(picker.PickFrom(offered, row.tiers[t].want), row.taken[t])
          << row.name << ", tier " << t;
    }
    std::string rejected;
    for (size_t f = 0; f < files; ++f) {
      rejected += static_cast<char>('0' + picker.RejectedBy(f));
    }
    EXPECT_EQ(rejected, row.rejected_by) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
