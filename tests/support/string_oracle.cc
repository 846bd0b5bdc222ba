#include "support/string_oracle.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

#include "common/console.h"
#include "common/text.h"

namespace mavoscan {
namespace oracle {
namespace {

constexpr int64_t kWholeReadLimit = 10485760;
constexpr int64_t kHalfReadLimit = kWholeReadLimit / 2;
constexpr size_t kMinStringLength = 4;
constexpr int kPresenceTickEvery = 23;
constexpr int kErasureTickEvery = 33;

bool IsPad(char c) { return c == '\0' || c == ' '; }

bool IsStringChar(unsigned char c) {
  static const std::string_view kChars =
      " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890-+_.$(){"
      "}~*%";
  return c == 0 || kChars.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string Trim(const std::string& s, bool leading, bool trailing) {
  size_t begin = 0;
  size_t end = s.size();
  while (leading && begin < end && IsPad(s[begin])) ++begin;
  while (trailing && end > begin && IsPad(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::string ReadPiece(ReadableFile& file, int64_t offset, size_t length) {
  std::string piece;
  if (!file.ReadAt(offset, length, &piece)) piece.clear();
  return piece;
}

bool ReadSampleText(Platform& platform, const SampleEntry& sample,
                    std::string* text, Failure* failure) {
  if (!platform.FileExists(sample.path)) {
    *failure = {true, "* Error: Unable to find file <" + sample.path + ">", {}};
    return false;
  }
  std::unique_ptr<ReadableFile> file = platform.OpenForReading(sample.path);
  if (file == nullptr) {
    *failure = OpenFailure(platform, sample.path);
    return false;
  }
  int64_t size = std::max<int64_t>(file->Size(), 0);
  if (size <= kWholeReadLimit) {
    *text = ReadPiece(*file, 0, static_cast<size_t>(size));
  } else {
    *text = ReadPiece(*file, 0, kHalfReadLimit) + "|" +
            ReadPiece(*file, size - kHalfReadLimit, kHalfReadLimit);
  }
  UpperCaseInPlace(text);
  return true;
}

struct CandidateMaker {
  std::vector<std::string> list;
  std::string last_added;

  void Add(const std::string& s) {
    if (s.size() < kMinStringLength || s == last_added) return;
    list.push_back(s);
    last_added = s;
  }
};

// The two presence passes. Blanks missing candidates in place.
bool PresencePasses(Platform& platform, const SampleSet& samples,
                    std::vector<std::string>* candidates, Failure* failure) {
  const int64_t k_count = static_cast<int64_t>(candidates->size());
  const int64_t total =
      k_count *
      static_cast<int64_t>(samples.size() > 0 ? samples.size() - 1 : 0);
  int tick = 0;
  int64_t visits = 0;
  int phase = 1;
  auto line = std::make_unique<ProgressLine>(platform, "Phase 1...");
  for (const SampleEntry& sample : samples) {
    std::string text;
    if (!ReadSampleText(platform, sample, &text, failure)) return false;
    std::string last_found;
    for (int64_t j = 1; j <= k_count; ++j) {
      ++visits;
      if (++tick == kPresenceTickEvery) {
        int64_t percent =
            phase == 1 ? (100 * j) / k_count : (100 * visits) / total;
        line->Show(percent);
        tick = 0;
        if (EscapePressed(platform)) {
          *failure = {true, "Aborted...", {}};
          return false;
        }
      }
      std::string& candidate = (*candidates)[j - 1];
      if (candidate.empty()) continue;
      if (last_found.starts_with(candidate)) continue;
      if (last_found.find(candidate) != std::string::npos) continue;
      if (text.find(candidate) == std::string::npos) {
        candidate.clear();
      } else {
        last_found = candidate;
      }
    }
    if (phase == 1) {
      line->Finish();
      line = std::make_unique<ProgressLine>(platform, "Phase 2...");
      phase = 2;
      visits = 0;
    }
  }
  line->Finish();
  return true;
}

// Blanks contained candidates in index order. `tick` is called with every
// index i (1-based) before candidate i is examined; false stops the pass.
bool EraseInPlace(std::vector<std::string>* candidates,
                  const std::function<bool(int64_t)>& tick) {
  std::vector<std::string>& c = *candidates;
  const size_t k_count = c.size();
  for (size_t i = 0; i < k_count; ++i) {
    if (!tick(static_cast<int64_t>(i) + 1)) return false;
    if (c[i].empty()) continue;
    for (size_t j = 0; j < k_count; ++j) {
      if (j == i || c[j].size() < c[i].size()) continue;
      if (c[j].find(c[i]) != std::string::npos) {
        c[i].clear();
        break;
      }
    }
  }
  return true;
}

std::vector<std::string> Gather(const std::vector<std::string>& candidates) {
  std::vector<std::string> strings;
  for (const std::string& c : candidates) {
    if (!c.empty()) strings.push_back(c);
  }
  return strings;
}

}  // namespace

std::vector<std::string> CutFields(const std::string& text) {
  std::vector<std::string> fields(1);
  for (char c : text) {
    if (IsStringChar(static_cast<unsigned char>(c))) {
      fields.back().push_back(c);
    } else {
      fields.emplace_back();
    }
  }
  return fields;
}

std::vector<std::string> MakeCandidates(std::vector<std::string> raw) {
  std::sort(raw.begin(), raw.end());
  CandidateMaker maker;
  std::string previous;
  for (const std::string& entry : raw) {
    std::string r = Trim(entry, true, true);
    if (r.size() < kMinStringLength || r == previous) continue;
    maker.Add(r);
    previous = r;
    const size_t length = r.size();
    for (size_t n = length - 1; n >= kMinStringLength; --n) {
      maker.Add(Trim(r.substr(0, n), false, true));
    }
    for (size_t n = length - 1; n >= kMinStringLength; --n) {
      maker.Add(Trim(r.substr(length - n), true, false));
    }
    std::string word;
    for (char c : r) {
      if (IsPad(c)) {
        maker.Add(word);
        word.clear();
      } else {
        word.push_back(c);
      }
    }
    maker.Add(word);
  }
  return std::move(maker.list);
}

std::vector<std::string> EraseContained(std::vector<std::string> candidates) {
  EraseInPlace(&candidates, [](int64_t) { return true; });
  return Gather(candidates);
}

void OrderByLength(std::vector<std::string>* strings) {
  std::vector<std::string>& s = *strings;
  const int64_t n = static_cast<int64_t>(s.size());
  for (int64_t gap = n / 2; gap > 0; gap /= 2) {
    int64_t limit = n - gap;
    int64_t last;
    do {
      last = 0;
      for (int64_t k = 1; k <= limit; ++k) {
        if (s[k - 1].size() < s[k - 1 + gap].size()) {
          std::swap(s[k - 1], s[k - 1 + gap]);
          last = k;
        }
      }
      limit = last - gap;
    } while (last != 0);
  }
}

}  // namespace oracle

bool OracleAnalyseStrings(Platform& platform, StringMode mode,
                          const std::vector<std::string>& inherited,
                          SampleSet* samples, std::vector<std::string>* strings,
                          Failure* failure) {
  const bool rescan = mode == StringMode::kRescan;
  strings->clear();
  if (samples->empty()) return true;
  std::stable_sort(samples->begin(), samples->end(),
                   [](const SampleEntry& a, const SampleEntry& b) {
                     return a.size < b.size;
                   });
  std::vector<std::string> raw;
  if (rescan) {
    PrintLine(platform, "Scanning for raw strings...");
    std::string text;
    if (!oracle::ReadSampleText(platform, samples->front(), &text, failure)) {
      return false;
    }
    raw = oracle::CutFields(text);
    PrintLine(platform, "Raw string(s) found:" +
                            ConsoleNumber(static_cast<int64_t>(raw.size())));
  } else {
    raw = inherited;
  }
  raw.emplace_back();
  PrintLine(platform, "Pre-filtering strings...");
  std::vector<std::string> candidates = oracle::MakeCandidates(std::move(raw));
  {
    HiddenCursor hidden(platform);
    if (!oracle::PresencePasses(platform, *samples, &candidates, failure)) {
      return false;
    }
    const int64_t k_count = static_cast<int64_t>(candidates.size());
    if (k_count > 0) {
      ProgressLine line(platform, "Erasing substrings...");
      int tick = 0;
      bool finished = oracle::EraseInPlace(&candidates, [&](int64_t i) {
        if (++tick < oracle::kErasureTickEvery) return true;
        tick = 0;
        line.Show((100 * i) / k_count);
        return !EscapePressed(platform);
      });
      if (!finished) {
        *failure = {true, "Aborted...", {}};
        return false;
      }
      line.Finish();
    }
  }
  *strings = oracle::Gather(candidates);
  oracle::OrderByLength(strings);
  PrintLine(platform, "String(s) found:" +
                          ConsoleNumber(static_cast<int64_t>(strings->size())));
  return true;
}

}  // namespace mavoscan
