// The fast analysis against the plain one on many seeded random sample sets:
// same strings, same console text, same errors.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "strings/erasure.h"
#include "strings/string_analysis.h"
#include "strings/string_test_util.h"
#include "support/string_oracle.h"

namespace mavoscan {
namespace {

using Strings = std::vector<std::string>;

class Generator {
 public:
  explicit Generator(uint64_t seed) : rng_(seed) {}

  size_t Below(size_t n) { return n == 0 ? 0 : rng_() % n; }
  bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }

  char Letter(bool lower) {
    return static_cast<char>((lower ? 'a' : 'A') + Below(26));
  }

  // A short text in one of the shapes samples have.
  std::string Piece(size_t length) {
    std::string s;
    switch (Below(8)) {
      case 0:  // words
        while (s.size() < length) {
          static const char* kWords[] = {"ALPHA", "beta", "GAMMA", "data",
                                         "FILE",  "exe",  "Info",  "VERSION"};
          if (!s.empty()) s += Chance(85) ? " " : ",";
          s += kWords[Below(8)];
        }
        break;
      case 1:  // a long run of few letters
        for (size_t i = 0; i < length; ++i)
          s += static_cast<char>('A' + Below(3));
        break;
      case 2:  // UTF-16 text
        for (size_t i = 0; i + 1 < length; i += 2) {
          s += Letter(Chance(50));
          s += '\0';
        }
        break;
      case 3:  // NUL-interleaved and padded
        for (size_t i = 0; i < length; ++i) {
          s += Chance(30) ? '\0' : (Chance(20) ? ' ' : Letter(false));
        }
        break;
      case 4:  // code page letters and other high bytes
        for (size_t i = 0; i < length; ++i) {
          s += Chance(40) ? static_cast<char>(129 + Below(36)) : Letter(true);
        }
        break;
      case 5:  // digits and signs
        for (size_t i = 0; i < length; ++i) {
          static const char kSigns[] = "0123456789-+_.$(){}~*% ";
          s += kSigns[Below(sizeof(kSigns) - 1)];
        }
        break;
      default:  // anything
        for (size_t i = 0; i < length; ++i) s += static_cast<char>(Below(256));
        break;
    }
    s.resize(length);
    return s;
  }

  // Near-identical lines: a common stem with small differences.
  std::string Lines(size_t count) {
    std::string stem = Piece(4 + Below(10));
    std::string s;
    for (size_t i = 0; i < count; ++i) {
      std::string line = stem;
      if (Chance(60)) line[Below(line.size())] = Letter(false);
      if (Chance(30)) line += static_cast<char>('0' + Below(10));
      s += line + (Chance(80) ? "\n" : "|");
    }
    return s;
  }

  // Inserts `s` at a random place of *text.
  void Plant(const std::string& s, std::string* text) {
    text->insert(Below(text->size() + 1), s);
  }

  std::string Mutilate(std::string s) {
    if (s.size() > 2 && Chance(50)) {
      s.erase(Chance(50) ? 0 : s.size() - 1, 1);
    } else if (!s.empty()) {
      s[Below(s.size())] = '!';
    }
    return s;
  }

 private:
  std::mt19937_64 rng_;
};

struct Case {
  bool rescan = true;
  bool terminal = false;
  Strings inherited;
  Strings paths;
  Strings files;
  int broken = -1;  // sample index deleted or made unreadable
  bool deleted = false;
};

Case MakeCase(uint64_t seed) {
  Generator g(seed);
  Case c;
  c.rescan = !g.Chance(25);
  c.terminal = g.Chance(50);
  Strings common;
  const size_t common_count = 1 + g.Below(5);
  for (size_t i = 0; i < common_count; ++i) {
    common.push_back(g.Piece(2 + g.Below(14)));
  }
  const size_t sample_count = 1 + g.Below(6);
  for (size_t k = 0; k < sample_count; ++k) {
    std::string text;
    const bool small = k == 0 || g.Chance(30);
    const size_t pieces = small ? 1 + g.Below(8) : 2 + g.Below(30);
    for (size_t p = 0; p < pieces; ++p) {
      text += g.Chance(10) ? g.Lines(2 + g.Below(small ? 12 : 40))
                           : g.Piece(g.Below(small ? 100 : 300));
      text += static_cast<char>(g.Chance(50) ? '\n' : ' ');
    }
    for (const std::string& s : common) {
      if (g.Chance(85)) g.Plant(s, &text);
      if (g.Chance(20)) g.Plant(g.Mutilate(s), &text);
    }
    c.paths.push_back("s" + std::to_string(k) + ".bin");
    c.files.push_back(text);
  }
  if (!c.rescan) {
    const size_t count = g.Below(12);
    for (size_t i = 0; i < count; ++i) {
      std::string s;
      switch (g.Below(4)) {
        case 0:
          s = common[g.Below(common.size())];
          break;
        case 1:  // bytes outside the string set, an apostrophe turned NUL
          s = g.Piece(g.Below(12));
          if (g.Chance(50)) s.insert(g.Below(s.size() + 1), 1, '\0');
          break;
        case 2:  // part of a sample
        {
          const std::string& f = c.files[g.Below(c.files.size())];
          size_t at = g.Below(f.size());
          s = f.substr(at, g.Below(20));
          break;
        }
        default:
          s = std::string(g.Below(3), ' ') + g.Piece(3 + g.Below(8)) +
              std::string(g.Below(3), '\0');
          break;
      }
      c.inherited.push_back(s);
      if (g.Chance(15)) c.inherited.push_back(s);
    }
  }
  if (g.Chance(8)) {
    c.broken = static_cast<int>(g.Below(sample_count));
    c.deleted = g.Chance(50);
  }
  return c;
}

AnalysisRun RunCase(const Case& c, AnalyseFunction analyse) {
  FakePlatform fake;
  fake.SetTerminal(c.terminal);
  for (size_t k = 0; k < c.paths.size(); ++k) {
    fake.AddFile(c.paths[k], c.files[k]);
  }
  SampleSet samples = SamplesOf(fake, c.paths);
  if (c.broken >= 0) {
    if (c.deleted) {
      fake.RemoveFile(c.paths[c.broken]);
    } else {
      fake.MakeUnreadable(c.paths[c.broken]);
    }
  }
  return RunAnalysis(fake, analyse, c.rescan, c.inherited, samples);
}

std::string Printable(const std::string& s) {
  std::string out;
  for (char ch : s) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (b >= 32 && b < 127) {
      out += ch;
    } else {
      out += "\\x" + std::string(1, "0123456789abcdef"[b >> 4]) +
             "0123456789abcdef"[b & 15];
    }
  }
  return out;
}

std::string Describe(const Strings& strings) {
  std::string out;
  for (const std::string& s : strings) out += "[" + Printable(s) + "] ";
  return out;
}

TEST(StringDifferential, FastMatchesPlainOnRandomSampleSets) {
  int compared = 0;
  for (uint64_t seed = 1; seed <= 1500; ++seed) {
    const Case c = MakeCase(seed);
    AnalysisRun fast = RunCase(c, &AnalyseStrings);
    AnalysisRun plain = RunCase(c, &OracleAnalyseStrings);
    EXPECT_EQ(fast.ok, plain.ok) << "seed " << seed;
    EXPECT_EQ(fast.err, plain.err) << "seed " << seed;
    EXPECT_EQ(fast.strings, plain.strings)
        << "seed " << seed << "\nfast:  " << Describe(fast.strings)
        << "\nplain: " << Describe(plain.strings);
    EXPECT_EQ(fast.output, plain.output) << "seed " << seed;
    EXPECT_EQ(fast.screen, plain.screen) << "seed " << seed;
    if (HasFailure()) break;
    compared += plain.strings.empty() ? 0 : 1;
  }
  // The generator must plant strings that survive often enough to matter.
  EXPECT_GT(compared, 500);
}

TEST(StringDifferential, ManyNearIdenticalRawStrings) {
  for (uint64_t seed = 1000; seed < 1004; ++seed) {
    Generator g(seed);
    Case c;
    c.terminal = true;
    std::string first = g.Lines(250);
    c.files = {first, g.Lines(100) + first.substr(first.size() / 3),
               first.substr(0, first.size() / 2) + g.Lines(100)};
    c.paths = {"a.bin", "b.bin", "c.bin"};
    AnalysisRun fast = RunCase(c, &AnalyseStrings);
    AnalysisRun plain = RunCase(c, &OracleAnalyseStrings);
    EXPECT_EQ(fast.strings, plain.strings) << "seed " << seed;
    EXPECT_EQ(fast.screen, plain.screen) << "seed " << seed;
  }
}

// Megabytes of text are fed on two threads, runs cut between them.
TEST(StringDifferential, LongTextsSplitBetweenThreads) {
  Generator g(99);
  const std::string words[] = {"ALPHA", "bravo",   "Charlie", "DELTA",
                               "echo",  "FOXTROT", "golf",    "HOTEL"};
  auto text_of = [&](size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
      text += words[g.Below(8)];
      text += g.Chance(95) ? ' ' : '\n';
    }
    return text;
  };
  for (int round = 0; round < 2; ++round) {
    Case c;
    c.terminal = round == 0;
    c.rescan = round == 0;
    c.inherited = {"ALPHA BRAVO", "GOLF HOTEL ECHO", "DELTA DELTA DELTA DELTA",
                   "FOXTROT"};
    c.files = {text_of(300), text_of(3000000), text_of(2500000) + "|",
               text_of(2800000)};
    c.paths = {"a.txt", "b.txt", "c.txt", "d.txt"};
    AnalysisRun fast = RunCase(c, &AnalyseStrings);
    AnalysisRun plain = RunCase(c, &OracleAnalyseStrings);
    EXPECT_EQ(fast.strings, plain.strings) << "round " << round;
    EXPECT_EQ(fast.screen, plain.screen) << "round " << round;
    EXPECT_FALSE(plain.strings.empty());
  }
}

TEST(StringDifferential, LengthOrderMatchesTheGapProcedure) {
  Generator g(7);
  for (int round = 0; round < 300; ++round) {
    const size_t n = g.Below(round < 250 ? 40 : 3000);
    const size_t lengths = 1 + g.Below(round % 2 == 0 ? 3 : 50);
    Strings input;
    for (size_t i = 0; i < n; ++i) {
      input.push_back(std::to_string(i) + std::string(g.Below(lengths), '.'));
    }
    std::vector<std::string_view> fast(input.begin(), input.end());
    Strings plain = input;
    oracle::OrderByLength(&plain);
    OrderByLength(&fast);
    ASSERT_EQ(Strings(fast.begin(), fast.end()), plain)
        << "round " << round << " input " << Describe(input);
  }
}

}  // namespace
}  // namespace mavoscan
