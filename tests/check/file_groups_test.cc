#include "check/file_groups.h"

#include <gtest/gtest.h>

#include <random>

#include "check/report_text.h"

namespace mavoscan {
namespace {

// A file of `length` bytes: `header` at offset 0, then a body of bytes
// drawn from `random` (from `letters` when given), with "DATA" at offset 40
// when it fits.
std::string File(const std::string& header, size_t length,
                 const std::string& letters, std::mt19937& random) {
  std::string file = header;
  while (file.size() < length) {
    const uint32_t draw = random();
    file += letters.empty() ? static_cast<char>(draw & 0xFF)
                            : letters[draw % letters.size()];
  }
  if (length >= 44) file.replace(40, 4, "DATA");
  return file.substr(0, length);
}

struct Kind {
  std::string header;
  size_t count;
  size_t length;
  std::string letters = "";
};

// Files of each kind in turn: kind 0's first file, kind 1's first file...
std::vector<std::string> Mixed(const std::vector<Kind>& kinds) {
  std::mt19937 random(7);
  std::vector<std::string> files;
  for (size_t i = 0;; ++i) {
    bool any = false;
    for (const Kind& kind : kinds) {
      if (i >= kind.count) continue;
      files.push_back(File(kind.header, kind.length, kind.letters, random));
      any = true;
    }
    if (!any) return files;
  }
}

// Each group as "<files> at <marks> keeps <bytes> from <first pattern>",
// groups separated by " | "; "none" when there are none.
std::string Summary(const FileGrouping& grouping) {
  if (grouping.groups.empty()) return "none";
  std::string text;
  for (const FileGroup& group : grouping.groups) {
    if (!text.empty()) text += " | ";
    for (size_t f : group.files) text += std::to_string(f) + ",";
    text.back() = ' ';
    text += "at";
    for (const Pattern& mark : group.marks) {
      text += " " + std::to_string(mark.pos) + ":" + Hex(mark.bytes);
    }
    size_t bytes = 0;
    for (const Pattern& pattern : group.patterns) bytes += pattern.bytes.size();
    text += " keeps " + std::to_string(bytes) + " from ";
    if (!group.patterns.empty()) {
      text += std::to_string(group.patterns[0].pos) + ":" +
              Hex(group.patterns[0].bytes);
    }
  }
  return text;
}

TEST(FileGroups, Splits) {
  const std::string kText = "abcdefghijklmnopqrstuvwxyz ";
  const std::string v1 = "\x1A\x01";
  const std::string v2 = "\x1E\x02";
  const struct {
    const char* name;
    std::vector<std::string> files;
    std::string expected;
  } rows[] = {
      {"two versions", Mixed({{v1 + "OLD", 6, 300}, {v2 + "NEWER", 4, 300}}),
       "0,2,4,6,8,9 at 0:1A014F4C44 keeps 9 from 0:1A014F4C44 | "
       "1,3,5,7 at 0:1E024E4557 keeps 11 from 0:1E024E45574552"},
      {"three versions",
       Mixed({{"V1xxxx", 4, 100}, {"V2yyyy", 4, 100}, {"V3zzzz", 4, 100}}),
       "0,3,6,9 at 1:3178787878 keeps 10 from 0:563178787878 | "
       "1,4,7,10 at 1:3279797979 keeps 10 from 0:563279797979 | "
       "2,5,8,11 at 1:337A7A7A7A keeps 10 from 0:56337A7A7A7A"},
      {"homogeneous", Mixed({{"HEAD", 20, 500}}), "none"},
      // Every split of a homogeneous set by one of its bytes gives parts
      // that keep what the whole set keeps and a byte or two.
      // Pairs and triples of them share dozens of bytes by chance.
      {"a few files of text", Mixed({{"HD", 6, 2048, kText}}), "none"},
      {"four files of text", Mixed({{"HD", 4, 2048, kText}}), "none"},
      {"two versions of text",
       Mixed({{v1 + "OLD", 6, 2048, kText}, {v2 + "NEWER", 6, 2048, kText}}),
       "0,2,4,6,8,10 at 0:1A014F4C44 keeps 9 from 0:1A014F4C44 | "
       "1,3,5,7,9,11 at 0:1E024E4557 keeps 11 from 0:1E024E45574552"},
      {"homogeneous with a flag byte",
       Mixed({{"HEADa", 10, 500}, {"HEADb", 10, 500}}), "none"},
      {"a rare version of 2 files",
       Mixed({{v1 + "OLD", 19, 300}, {v2 + "NEWER", 2, 300}}),
       "0,2,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20 at 0:1A014F4C44 "
       "keeps 9 from 0:1A014F4C44 | 1,3 at 0:1E024E4557 keeps 11 from "
       "0:1E024E45574552"},
      {"a rare version of 2 in 80",
       Mixed({{v1 + "OLDFMT", 78, 300}, {v2 + "NEWER", 2, 300}}),
       [] {
         std::string many = "0,2";
         for (int f = 4; f < 80; ++f) many += "," + std::to_string(f);
         return many +
                " at 0:1A014F4C44464D keeps 12 from 0:1A014F4C44464D54 | 1,3 "
                "at 0:1E024E45574552 keeps 12 from 0:1E024E45574552";
       }()},
      {"rare bytes of single files stay with the many",
       [&] {
         std::vector<std::string> files = Mixed({{v1 + "OLD", 20, 300}});
         files[3][1] = '\x05';
         files[7][1] = '\x06';
         return files;
       }(),
       "none"},
      {"more kinds than groups",
       Mixed({{"AAAAAA", 2, 50},
              {"BBBBBB", 2, 50},
              {"CCCCCC", 2, 50},
              {"DDDDDD", 2, 50},
              {"EEEEEE", 2, 50}}),
       "none"},
      {"a file shorter than the marks",
       [&] {
         std::vector<std::string> files =
             Mixed({{v1 + "OLD", 6, 300}, {v2 + "NEWER", 4, 300}});
         files.push_back("");
         return files;
       }(),
       "none"},
      // "TAIL" at 60 in every file; file 0 ends after "TA".
      {"a short file cuts only its own group's patterns",
       [&] {
         std::vector<std::string> files =
             Mixed({{v1 + "OLDFORMAT", 3, 80}, {v2 + "NEWERKIND", 3, 80}});
         for (std::string& file : files) file.replace(60, 4, "TAIL");
         files[0].resize(62);
         return files;
       }(),
       "0,2,4 at 0:1A014F4C44464F524D4154 keeps 17 from "
       "0:1A014F4C44464F524D4154 | 1,3,5 at 0:1E024E455745524B494E44 keeps 19 "
       "from 0:1E024E455745524B494E44"},
      {"no files", {}, "none"},
      {"one file", {"ABC"}, "none"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Summary(GroupFiles(row.files)), row.expected) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
