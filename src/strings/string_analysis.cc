#include "strings/string_analysis.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/console.h"
#include "common/side_task.h"
#include "common/text.h"
#include "strings/candidates.h"
#include "strings/erasure.h"
#include "strings/presence.h"
#include "strings/progress_ticks.h"
#include "strings/raw_strings.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

constexpr int kPresenceTickEvery = 23;
constexpr int kErasureTickEvery = 33;

// True when `bytes` upper-cased are `text`.
bool SameText(std::string_view bytes, std::string_view text) {
  if (bytes.size() != text.size()) return false;
  unsigned char upper[256];
  for (int b = 0; b < 256; ++b)
    upper[b] = UpperByte(static_cast<unsigned char>(b));
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (upper[ByteAt(bytes, i)] != ByteAt(text, i)) return false;
  }
  return true;
}

// How many of `steps` a share of done / total of some work stands for.
int64_t Share(int64_t steps, uint64_t done, uint64_t total) {
  if (total == 0 || done >= total) return steps;
  return static_cast<int64_t>(static_cast<long double>(steps) * done / total);
}

// Escape ends the run in the middle of a progress line, which the line
// break before the message ends.
bool Abort(Failure* failure) {
  *failure = {true, "Aborted...", {}};
  return false;
}

// In a fresh scan every candidate was cut from the first sample's text, so
// its pass finds them all unless the file has changed since. Finding that
// out reads the file again: on a thread of its own, while the candidates
// are prepared; the outcome is taken in the first sample's turn.
class FirstSampleCheck {
 public:
  FirstSampleCheck(Platform& platform, const SampleEntry& sample,
                   std::string_view text)
      : task_([this, &platform, &sample, text] {
          ok_ =
              ReadSampleBytes(platform, sample, &bytes_, &scratch_, &failure_);
          same_ = ok_ && SameText(bytes_, text);
        }) {}

  void Wait() { task_.Wait(); }
  // After Wait: whether the file was read, the error if not, whether it
  // still holds the text, and what it holds.
  bool ok() const { return ok_; }
  const Failure& failure() const { return failure_; }
  bool same() const { return same_; }
  const std::string& bytes() const { return bytes_; }
  // Hands over the memory of what was read (mapped already) for the next
  // sample to be read into.
  void GiveBuffer(std::string* to) { to->swap(bytes_); }

 private:
  bool ok_ = false;
  bool same_ = false;
  std::string bytes_;
  std::string scratch_;
  Failure failure_;
  SideTask task_;  // last: started once the rest is in place
};

// Phase 1 tests the candidates against the first sample, Phase 2 against
// each of the others. The percentages are those of visiting every candidate
// in every sample, shown as the sample's work advances.
bool PresencePasses(Platform& platform, const SampleSet& samples,
                    FirstSampleCheck* first_check, int64_t k_count,
                    PresenceTracker* presence, std::string* scratch,
                    Failure* failure) {
  const int64_t n = static_cast<int64_t>(samples.size());
  ProgressTicks ticks(kPresenceTickEvery);
  std::optional<ProgressLine> line;
  line.emplace(platform, "Phase 1...");
  ticks.StartPhase(&*line, 0, k_count);
  std::string bytes;
  for (int64_t k = 0; k < n; ++k) {
    const SampleEntry& sample = samples[static_cast<size_t>(k)];
    const int64_t base = k * k_count;
    const bool needs_text = !presence->AllGone();
    std::string_view text;
    bool settled = false;  // every candidate known to be in this sample
    if (k == 0 && first_check != nullptr) {
      first_check->Wait();
      if (needs_text && !first_check->ok()) {
        *failure = first_check->failure();
        return false;
      }
      // A read that failed still leaves the file readable when it opens.
      if (!needs_text && !first_check->ok() &&
          !CheckSampleReadable(platform, sample, failure)) {
        return false;
      }
      text = first_check->bytes();
      settled = first_check->same();
    } else if (needs_text) {
      if (!ReadSampleBytes(platform, sample, &bytes, scratch, failure)) {
        return false;
      }
      text = bytes;
    } else if (!CheckSampleReadable(platform, sample, failure)) {
      return false;
    }
    if (needs_text && !settled) {
      auto report = [&](uint64_t done, uint64_t total) {
        ticks.ShowThrough(base + Share(k_count, done, total));
        return !EscapePressed(platform);
      };
      if (!presence->Narrow(text, report)) return Abort(failure);
    }
    ticks.ShowThrough(base + k_count);
    if (EscapePressed(platform)) return Abort(failure);
    if (k == 0 && first_check != nullptr) first_check->GiveBuffer(&bytes);
    if (k == 0) {
      line->Finish();
      line.emplace(platform, "Phase 2...");
      ticks.StartPhase(&*line, k_count, k_count * (n - 1));
    }
  }
  line->Finish();
  return true;
}

bool ErasurePass(Platform& platform,
                 const std::vector<std::string_view>& accepted,
                 PresenceTracker* presence, int64_t k_count,
                 std::vector<std::string_view>* survivors, Failure* failure) {
  ProgressLine line(platform, "Erasing substrings...");
  ProgressTicks ticks(kErasureTickEvery);
  ticks.StartPhase(&line, 0, k_count);
  auto report = [&](uint64_t done, uint64_t total) {
    ticks.ShowThrough(Share(k_count, done, total));
    return !EscapePressed(platform);
  };
  PatternAutomaton automaton = presence->TakeAutomaton();
  if (!EraseContained(accepted, *presence, report, &automaton, survivors)) {
    return Abort(failure);
  }
  ticks.ShowThrough(k_count);
  if (EscapePressed(platform)) return Abort(failure);
  line.Finish();
  return true;
}

}  // namespace

bool AnalyseStrings(Platform& platform, StringMode mode,
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

  // Raw strings, and later every candidate, are views into this one text.
  std::string backing;
  std::string scratch;  // the tail of a large sample, while it is read
  std::vector<std::string_view> raw;
  std::optional<FirstSampleCheck> first_check;
  if (rescan) {
    PrintLine(platform, "Scanning for raw strings...");
    if (!ReadSampleText(platform, samples->front(), &backing, &scratch,
                        failure)) {
      return false;
    }
    const int64_t fields = CutRawStrings(backing, &raw);
    first_check.emplace(platform, samples->front(), backing);
    PrintLine(platform, "Raw string(s) found:" + ConsoleNumber(fields));
  } else {
    for (const std::string& s : inherited) backing += s;
    size_t at = 0;
    for (const std::string& s : inherited) {
      std::string_view entry = std::string_view(backing).substr(at, s.size());
      if (TrimPads(entry).size() >= kMinStringLength) raw.push_back(entry);
      at += s.size();
    }
  }

  PrintLine(platform, "Pre-filtering strings...");
  const std::vector<std::string_view> accepted =
      AcceptRawStrings(std::move(raw));
  PresenceTracker presence(accepted);
  const int64_t k_count = WalkCandidates(
      accepted,
      [&](size_t, std::string_view word, int64_t) { presence.AddWord(word); },
      [](size_t, const RawLayout&) {});

  std::vector<std::string_view> survivors;
  {
    HiddenCursor hidden(platform);
    if (!PresencePasses(platform, *samples,
                        first_check ? &*first_check : nullptr, k_count,
                        &presence, &scratch, failure)) {
      return false;
    }
    if (k_count > 0 && !ErasurePass(platform, accepted, &presence, k_count,
                                    &survivors, failure)) {
      return false;
    }
  }

  OrderByLength(&survivors);
  for (std::string_view s : survivors) strings->emplace_back(s);
  PrintLine(platform, "String(s) found:" +
                          ConsoleNumber(static_cast<int64_t>(strings->size())));
  return true;
}

}  // namespace mavoscan
