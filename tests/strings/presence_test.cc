#include "strings/presence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "strings/candidates.h"
#include "strings/raw_strings.h"

namespace mavoscan {
namespace {

// Text-like samples: words of a shared vocabulary, a few of them common
// and most rare, in sentences of mixed case; commas and line ends cut raw
// strings unless `one_run`.
std::string TextLikeSample(std::mt19937& rng, size_t size,
                           const std::vector<std::string>& vocabulary,
                           bool one_run) {
  std::string text;
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  while (text.size() < size) {
    const double u = uniform(rng);
    std::string word = vocabulary[static_cast<size_t>(
        u * u * u * static_cast<double>(vocabulary.size()))];
    if (rng() % 4 == 0) word[0] = static_cast<char>(word[0] - 'A' + 'a');
    text += word;
    const unsigned end = rng() % 16;
    text += end == 1   ? ". "
            : one_run  ? " "
            : end == 0 ? ",\n"
            : end == 2 ? ", "
                       : " ";
  }
  return text;
}

// The length of the longest prefix (or suffix) of r no longer than
// `limit` that occurs in `upper`: present texts are closed under taking
// prefixes and suffixes, so a binary search over the length finds it.
size_t LongestPresent(std::string_view upper, std::string_view r, size_t limit,
                      bool suffix) {
  size_t low = 0;
  size_t high = limit;
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    const std::string_view part =
        suffix ? r.substr(r.size() - mid) : r.substr(0, mid);
    if (upper.find(part) != std::string_view::npos) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

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

// Samples of a megabyte are fed in stages, on two threads, as interleaved
// lanes (or one by one when the patterns are long), with the automaton
// kept over several samples while patterns shorten: after every sample
// what is present must be what a plain search of each text finds.
TEST(Presence, LongSamplesNarrowLikeAPlainSearch) {
  for (const bool long_line : {false, true}) {
    SCOPED_TRACE(long_line ? "with a long common line" : "text only");
    std::mt19937 rng(long_line ? 11 : 7);
    std::vector<std::string> vocabulary;
    for (int w = 0; w < 400; ++w) {
      std::string word;
      const size_t length = 3 + rng() % 9;
      for (size_t k = 0; k < length; ++k)
        word += static_cast<char>('A' + rng() % 26);
      vocabulary.push_back(word);
    }
    // The long line holds every pair of the bytes the text is made of, so
    // that, present in every sample, it keeps the whole text one run; it is
    // long enough for the pieces of that run to be fed one by one.
    std::string common;
    const std::string text_bytes = "ABCDEFGHIJKLMNOPQRSTUVWXYZ .";
    for (int copy = 0; copy < (long_line ? 3 : 0); ++copy) {
      for (char a : text_bytes) {
        for (char b : text_bytes) common += std::string{a, b};
      }
    }
    common += "\n";
    std::string backing = common + TextLikeSample(rng, 6000, vocabulary, false);
    for (char& c : backing)
      c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
    std::vector<std::string_view> raw;
    CutRawStrings(backing, &raw);
    const std::vector<std::string_view> accepted = AcceptRawStrings(raw);
    PresenceTracker presence(accepted);
    std::vector<std::string_view> words;
    WalkCandidates(
        accepted,
        [&](size_t, std::string_view word, int64_t) {
          presence.AddWord(word);
          words.push_back(word);
        },
        [](size_t, const RawLayout&) {});

    std::vector<size_t> prefix(accepted.size());
    std::vector<size_t> suffix(accepted.size());
    for (size_t a = 0; a < accepted.size(); ++a) {
      prefix[a] = suffix[a] = accepted[a].size();
    }
    std::vector<bool> word_present(words.size(), true);
    for (int sample = 0; sample < 4; ++sample) {
      SCOPED_TRACE("sample " + std::to_string(sample));
      std::string text = TextLikeSample(rng, long_line ? 1200000 : 900000,
                                        vocabulary, long_line);
      // Pieces of raw strings that occur once, anywhere, some across the
      // places where the text is cut for threads, stages and lanes.
      // With a long line, the text is one run, cut into pieces that each
      // start after a warm-up.
      const std::string cut = long_line ? " " : ",\n";
      for (int insert = 0; insert < (long_line ? 8000 : 2000); ++insert) {
        const std::string_view r = accepted[rng() % accepted.size()];
        const size_t length = 1 + rng() % r.size();
        const std::string piece(rng() % 2 ? r.substr(0, length)
                                          : r.substr(r.size() - length));
        text.insert(rng() % text.size(), cut + piece + cut);
      }
      // And pieces across every 32 KiB boundary, where cutting the text in
      // powers of two would split them.
      for (size_t at = 32768; at + 8192 < text.size(); at += 32768) {
        const std::string_view r = accepted[rng() % accepted.size()];
        const size_t length = std::min<size_t>(r.size(), 16 + rng() % 64);
        const std::string piece =
            " " +
            std::string(rng() % 2 ? r.substr(0, length)
                                  : r.substr(r.size() - length)) +
            " ";
        text.replace(at - piece.size() / 2, piece.size(), piece);
      }
      text += common;
      std::string upper = text;
      for (char& c : upper)
        c = static_cast<char>(UpperByte(static_cast<unsigned char>(c)));
      for (size_t a = 0; a < accepted.size(); ++a) {
        const std::string_view r = accepted[a];
        prefix[a] = ClipPrefix(r, LongestPresent(upper, r, prefix[a], false));
        // A raw string present whole keeps all its suffixes.
        if (prefix[a] != r.size()) {
          suffix[a] = ClipSuffix(r, LongestPresent(upper, r, suffix[a], true));
        }
      }
      for (size_t w = 0; w < words.size(); ++w) {
        word_present[w] =
            word_present[w] && upper.find(words[w]) != std::string::npos;
      }
      ASSERT_TRUE(
          presence.Narrow(text, [](uint64_t, uint64_t) { return true; }));
      for (size_t a = 0; a < accepted.size(); ++a) {
        ASSERT_EQ(presence.prefix(a), prefix[a]) << accepted[a];
        ASSERT_EQ(presence.suffix(a), suffix[a]) << accepted[a];
      }
      for (size_t w = 0; w < words.size(); ++w) {
        ASSERT_EQ(presence.word_present(
                      static_cast<size_t>(presence.WordId(words[w]))),
                  word_present[w])
            << words[w];
      }
    }
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
