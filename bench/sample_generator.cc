#include "sample_generator.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "bench_files.h"

namespace mavoscan {
namespace {

using std::string_view_literals::operator""sv;

constexpr size_t kKiB = 1024;
constexpr size_t kMiB = 1024 * 1024;
// The tool examines samples above 10 MiB only at their first and last 5 MiB.
constexpr size_t kHeadTailSize = 5 * kMiB;

constexpr std::string_view kStampName = ".mavobench-stamp";

struct SetShape {
  int count;
  const char* extension;
  size_t min_size;
  size_t max_size;
};

constexpr SetShape kShapes[kGeneratedSets] = {
    {2048, "rec", 2 * kKiB, 8 * kKiB},
    {200, "bin", 20 * kKiB, 4 * kMiB},
    {40, "txt", 6 * kMiB, 12 * kMiB},
    {6, "dat", 11 * kMiB, 14 * kMiB},
};

const SetShape& Shape(int set) { return kShapes[set - 1]; }

// Independent streams per set, sample and purpose, so that a sample's bytes
// do not depend on the order in which samples are generated.
enum class Stream : uint64_t { kSize = 1, kContent = 2, kCommon = 3 };

uint64_t Seed(int set, int index, Stream stream) {
  Rng mix(0x6d61766f62656e63ULL ^ (static_cast<uint64_t>(set) << 48) ^
          (static_cast<uint64_t>(index) << 16) ^ static_cast<uint64_t>(stream));
  return mix.Next();
}

void PutLe32(uint32_t value, std::string* out) {
  for (int i = 0; i < 4; ++i) {
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  }
}

std::string Utf16Le(std::string_view text) {
  std::string wide;
  for (char c : text) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

// Pronounceable made-up words; low indices are short, like the frequent
// words of a language.
const std::vector<std::string>& Vocabulary() {
  static const std::vector<std::string> words = [] {
    constexpr std::string_view kOnsets[] = {
        "b",  "c",  "d",  "f",  "g",  "h",  "j",  "k",  "l",  "m",
        "n",  "p",  "r",  "s",  "t",  "v",  "w",  "z",  "br", "ch",
        "cl", "dr", "fl", "gr", "pl", "pr", "sh", "st", "th", "tr"};
    constexpr std::string_view kVowels[] = {"a",  "e",  "i",  "o",  "u",
                                            "ea", "ou", "io", "ai", "y"};
    constexpr std::string_view kCodas[] = {"",  "",  "",   "n",  "r", "s",
                                           "t", "l", "nd", "st", "ck"};
    constexpr size_t kWords = 4000;
    Rng rng(0x766f636162ULL);
    std::vector<std::string> list;
    list.reserve(kWords);
    for (size_t i = 0; i < kWords; ++i) {
      uint64_t syllables = 1 + (i * 3) / kWords + rng.Range(0, 1);
      std::string word;
      for (uint64_t s = 0; s < syllables; ++s) {
        word += kOnsets[rng.Range(0, std::size(kOnsets) - 1)];
        word += kVowels[rng.Range(0, std::size(kVowels) - 1)];
        word += kCodas[rng.Range(0, std::size(kCodas) - 1)];
      }
      list.push_back(word);
    }
    return list;
  }();
  return words;
}

// A vocabulary index with a long-tailed distribution (the cube of a uniform
// fraction), so that a few words are very frequent and all appear often
// enough to be in every large sample.
size_t ZipfishIndex(Rng& rng) {
  uint64_t u = rng.Next() >> 43;  // 21 bits, so u^3 fits in 63.
  uint64_t cube = u * u * u;
  return static_cast<size_t>(((cube >> 31) * Vocabulary().size()) >> 32);
}

const std::string& AnyWord(Rng& rng) {
  return Vocabulary()[rng.Range(0, Vocabulary().size() - 1)];
}

void AppendSentence(Rng& rng, bool commas, std::string* out) {
  uint64_t words = rng.Range(4, 18);
  for (uint64_t w = 0; w < words; ++w) {
    if (w > 0) out->push_back(' ');
    size_t start = out->size();
    *out += Vocabulary()[ZipfishIndex(rng)];
    if (w == 0) (*out)[start] = static_cast<char>((*out)[start] - 'a' + 'A');
    if (commas && w + 1 < words && rng.OneIn(48)) out->push_back(',');
  }
  out->push_back('.');
}

// Text with few delimiters: paragraphs of sentences ended by CR LF, a comma
// now and then, and some long paragraphs without any comma.
void AppendParagraph(Rng& rng, std::string* out) {
  bool long_paragraph = rng.OneIn(64);
  uint64_t sentences = long_paragraph ? rng.Range(20, 80) : rng.Range(1, 6);
  for (uint64_t s = 0; s < sentences; ++s) {
    if (s > 0) out->push_back(' ');
    AppendSentence(rng, !long_paragraph, out);
  }
  *out += "\r\n";
  if (rng.OneIn(8)) *out += "\r\n";
}

// Blocks of the kinds a binary file is made of.
void AppendRandomBytes(Rng& rng, size_t length, std::string* out) {
  for (size_t i = 0; i < length; i += 8) {
    uint64_t word = rng.Next();
    for (size_t b = 0; b < 8 && i + b < length; ++b) {
      out->push_back(static_cast<char>(word >> (8 * b)));
    }
  }
}

void AppendCodeLike(Rng& rng, size_t length, std::string* out) {
  static constexpr unsigned char kFrequent[] = {
      0x00, 0xff, 0x48, 0x89, 0x8b, 0xe8, 0x0f, 0x85, 0x84, 0xc3, 0x83,
      0x45, 0x24, 0x44, 0xc7, 0x05, 0x74, 0x75, 0x31, 0xc0, 0x41, 0x4c};
  for (size_t i = 0; i < length; ++i) {
    uint64_t r = rng.Next();
    out->push_back(static_cast<char>(
        (r & 3) != 0 ? kFrequent[(r >> 8) % std::size(kFrequent)] : r >> 16));
  }
}

void AppendTable(Rng& rng, size_t length, std::string* out) {
  uint32_t value = static_cast<uint32_t>(rng.Range(0, 1 << 20));
  uint32_t step = static_cast<uint32_t>(rng.Range(1, 4096));
  size_t end = out->size() + length;
  while (out->size() < end) {
    PutLe32(value, out);
    value += step;
  }
}

void AppendAsciiText(Rng& rng, size_t length, std::string* out) {
  size_t end = out->size() + length;
  while (out->size() < end) {
    AppendSentence(rng, true, out);
    *out += rng.OneIn(3) ? std::string_view("\r\n") : std::string_view(" ");
    if (rng.OneIn(6)) out->push_back('\0');
  }
}

void AppendUtf16Text(Rng& rng, size_t length, std::string* out) {
  size_t end = out->size() + length;
  while (out->size() < end) {
    std::string line;
    AppendSentence(rng, false, &line);
    *out += Utf16Le(line);
    out->append(2, '\0');
    if (rng.OneIn(4)) PutLe32(static_cast<uint32_t>(rng.Next()), out);
  }
}

// Fills *out up to `size` bytes with a mix of binary blocks; `scale` is the
// typical block length.
void AppendMixedBlocks(Rng& rng, size_t size, size_t scale, std::string* out) {
  while (out->size() < size) {
    size_t length = rng.Range(scale / 8, scale);
    uint64_t kind = rng.Range(0, 9);
    if (kind < 3) {
      AppendRandomBytes(rng, length, out);
    } else if (kind < 5) {
      AppendCodeLike(rng, length, out);
    } else if (kind == 5) {
      out->append(length / 4, '\0');
    } else if (kind == 6) {
      AppendTable(rng, length / 2, out);
    } else if (kind < 9) {
      AppendAsciiText(rng, length / 2, out);
    } else {
      AppendUtf16Text(rng, length / 2, out);
    }
  }
  out->resize(size);
}

// Writes each item, between two `fence` texts, into a slot of its own within
// data[begin, end), at a random place of the slot and in a random slot order.
void PlaceInSlots(Rng& rng, const std::vector<std::string>& items,
                  std::string_view fence, size_t begin, size_t end,
                  std::string* data) {
  if (items.empty()) return;
  std::vector<size_t> slots(items.size());
  for (size_t i = 0; i < slots.size(); ++i) slots[i] = i;
  for (size_t i = slots.size() - 1; i > 0; --i) {
    std::swap(slots[i], slots[rng.Range(0, i)]);
  }
  size_t slot_size = (end - begin) / items.size();
  for (size_t i = 0; i < items.size(); ++i) {
    std::string text = std::string(fence) + items[i] + std::string(fence);
    size_t room = slot_size > text.size() ? slot_size - text.size() : 0;
    size_t at = begin + slots[i] * slot_size + rng.Range(0, room);
    data->replace(at, text.size(), text);
  }
}

// The front block every sample of a set begins with: fixed bytes the pattern
// scan finds, interleaved with per-sample fields it must skip.
std::string Header(int set, int index, size_t size) {
  static constexpr std::string_view kSignatures[kGeneratedSets] = {
      "MVB-REC\x1a\x02\x00\x10\x00"sv,
      "\x7fMVB\x02\x01\x01\x00MAVOBENCH-BIN\x00"sv,
      ""sv,
      "MVBDATA\x00\x00\x04\x00\x00 SEGMENTED.STORE "sv,
  };
  // Text files share a first line instead of binary fields.
  if (set == 3)
    return "#MAVOTEXT 1.0 plain document\r\nencoding: ascii\r\n\r\n";
  std::string header(kSignatures[set - 1]);
  PutLe32(static_cast<uint32_t>(size), &header);
  Rng rng(Seed(set, index, Stream::kContent) ^ 0x68656164ULL);
  PutLe32(static_cast<uint32_t>(rng.Next()), &header);
  header += "\x00\x00\x01\x00\x40\x00\x00\x00"sv;
  PutLe32(static_cast<uint32_t>(index), &header);
  header += "\xff\xff\x00\x00"sv;
  header.resize(64, '\0');
  return header;
}

std::vector<std::string> SetOneKeywords() {
  return {"RECORD-BEGIN", "CRC32(checksum)", "payload.body", "~END~OF~RECORD~"};
}

std::vector<std::string> SetTwoAsciiKeywords() {
  return {"MAVO_RUNTIME_INIT",   "Copyright (C) Example Works",
          "config.section.main", "$Revision 4.2.17 $",
          "{0A1B2C3D-SAMPLE}",   "DEBUG_TRACE_LEVEL",
          "libmavo-support.so",  "%s %d items*"};
}

std::vector<std::string> SetTwoWideKeywords() {
  return {"Application Data", "Settings{Main}",     "OriginalFilename",
          "Product-Version",  "Sample Company Ltd", "LegalTrademarks"};
}

// Thirty phrases of rarer words, so that no single sample makes them up by
// chance and each survives as a whole.
std::vector<std::string> SetThreePhrases() {
  Rng rng(Seed(3, 0, Stream::kCommon));
  std::vector<std::string> phrases;
  for (int p = 0; p < 30; ++p) {
    std::string phrase;
    uint64_t words = rng.Range(3, 7);
    for (uint64_t w = 0; w < words; ++w) {
      if (w > 0) phrase.push_back(' ');
      phrase += AnyWord(rng);
    }
    if (p % 5 == 0) {
      phrase += ' ';
      phrase += std::to_string(rng.Range(10, 9999));
    }
    phrases.push_back(phrase);
  }
  return phrases;
}

std::vector<std::string> SetFourKeywords(bool tail) {
  Rng rng(Seed(4, tail ? 1 : 0, Stream::kCommon));
  std::vector<std::string> keywords;
  for (int k = 0; k < 12; ++k) {
    std::string keyword = tail ? "TAIL." : "HEAD-";
    keyword += AnyWord(rng);
    keyword += '_';
    keyword += AnyWord(rng);
    keyword += '(';
    keyword += std::to_string(rng.Range(100, 99999));
    keyword += ')';
    keywords.push_back(keyword);
  }
  return keywords;
}

// Present in every sample but only between head and tail, where the tool
// does not look: they must not show up among the strings found.
std::vector<std::string> SetFourMiddleKeywords() {
  return {"MIDDLE-ONLY-ALPHA", "MIDDLE-ONLY-BRAVO", "MIDDLE-ONLY-CHARLIE",
          "MIDDLE-ONLY-DELTA"};
}

std::string StampText(int set) {
  return "mavobench generator " + std::to_string(kGeneratorVersion) + " set " +
         std::to_string(set) + "\n";
}

bool SetIsCurrent(int set, const std::string& dir) {
  std::string stamp, ignored;
  if (!ReadBytes(dir + "/" + std::string(kStampName), &stamp, &ignored) ||
      stamp != StampText(set)) {
    return false;
  }
  for (int i = 0; i < SampleCount(set); ++i) {
    int64_t size = RegularFileSize(dir + "/" + SampleName(set, i));
    if (size < 0 || static_cast<size_t>(size) != SampleSize(set, i)) {
      return false;
    }
  }
  return true;
}

}  // namespace

uint64_t Rng::Next() {
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

uint64_t Rng::Range(uint64_t lo, uint64_t hi) {
  return lo + (((Next() >> 32) * (hi - lo + 1)) >> 32);
}

int SampleCount(int set) { return Shape(set).count; }

std::string SampleName(int set, int index) {
  char name[32];
  std::snprintf(name, sizeof(name), "s%d_%04d.%s", set, index,
                Shape(set).extension);
  return name;
}

std::string SampleMask(int set) {
  return std::string("*.") + Shape(set).extension;
}

size_t SampleSize(int set, int index) {
  const SetShape& shape = Shape(set);
  // The smallest and the largest size occur in every set, so the tool cuts
  // its raw strings from a sample of the smallest size.
  if (index == 0) return shape.min_size;
  if (index == 1) return shape.max_size;
  Rng rng(Seed(set, index, Stream::kSize));
  uint64_t span = shape.max_size - shape.min_size;
  if (set == 2) {
    // Mostly small binaries with a few large ones: the cube of a uniform
    // fraction of the span.
    uint64_t u = rng.Next() >> 43;
    return shape.min_size +
           static_cast<size_t>((((u * u * u) >> 31) * span) >> 32);
  }
  return shape.min_size + rng.Range(0, span);
}

std::string MakeSample(int set, int index) {
  size_t size = SampleSize(set, index);
  Rng rng(Seed(set, index, Stream::kContent));
  std::string data = Header(set, index, size);
  data.reserve(size + 64 * kKiB);
  switch (set) {
    case 1:
      AppendMixedBlocks(rng, size, 1 * kKiB, &data);
      PlaceInSlots(rng, SetOneKeywords(), "\x01", 64, size, &data);
      break;
    case 2: {
      AppendMixedBlocks(rng, size, 32 * kKiB, &data);
      std::vector<std::string> keywords = SetTwoAsciiKeywords();
      for (const std::string& wide : SetTwoWideKeywords()) {
        keywords.push_back(Utf16Le(wide));
      }
      PlaceInSlots(rng, keywords, "\x01\x02", 64, size, &data);
      break;
    }
    case 3: {
      while (data.size() < size) AppendParagraph(rng, &data);
      data.resize(size);
      // Each phrase twice, on a line of its own.
      std::vector<std::string> phrases = SetThreePhrases();
      std::vector<std::string> twice = phrases;
      twice.insert(twice.end(), phrases.begin(), phrases.end());
      PlaceInSlots(rng, twice, "\r\n", 0, size, &data);
      break;
    }
    case 4:
      AppendMixedBlocks(rng, size, 64 * kKiB, &data);
      PlaceInSlots(rng, SetFourKeywords(false), "\x01", 64, kHeadTailSize,
                   &data);
      PlaceInSlots(rng, SetFourMiddleKeywords(), "\x01", kHeadTailSize,
                   size - kHeadTailSize, &data);
      PlaceInSlots(rng, SetFourKeywords(true), "\x01", size - kHeadTailSize,
                   size, &data);
      break;
  }
  return data;
}

std::vector<std::string> CommonTexts(int set) {
  switch (set) {
    case 1:
      return SetOneKeywords();
    case 2: {
      std::vector<std::string> texts = SetTwoAsciiKeywords();
      for (const std::string& wide : SetTwoWideKeywords()) {
        texts.push_back(Utf16Le(wide));
      }
      return texts;
    }
    case 3:
      return SetThreePhrases();
    case 4: {
      std::vector<std::string> texts = SetFourKeywords(false);
      for (const std::string& tail : SetFourKeywords(true)) {
        texts.push_back(tail);
      }
      return texts;
    }
  }
  return {};
}

bool EnsureSet(int set, const std::string& dir, bool* generated,
               std::string* err) {
  *generated = false;
  if (!MakeDirectories(dir, err)) return false;
  if (SetIsCurrent(set, dir)) return true;
  std::string stamp_path = dir + "/" + std::string(kStampName);
  // Without the stamp an interrupted generation is never taken as complete.
  if (RegularFileSize(stamp_path) >= 0 && !RemoveFile(stamp_path, err)) {
    return false;
  }
  std::string sample_names = "s";
  sample_names += std::to_string(set);
  sample_names += "_*";
  sample_names += SampleMask(set).substr(1);
  if (!DeleteFiles(dir, sample_names, err)) return false;
  for (int i = 0; i < SampleCount(set); ++i) {
    if (!WriteBytes(dir + "/" + SampleName(set, i), MakeSample(set, i), err)) {
      return false;
    }
  }
  *generated = true;
  return WriteBytes(stamp_path, StampText(set), err);
}

}  // namespace mavoscan
