#include "strings/presence.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "common/side_task.h"
#include "common/text.h"
#include "strings/candidates.h"

namespace mavoscan {
namespace {

// Above this many bytes of live texts, a pass first looks for the first
// kFirstCap bytes of each only, then kCapGrowth times as many of those
// found that far, and so on.
constexpr uint64_t kCapMaterial = uint64_t{1} << 20;
constexpr size_t kFirstCap = 32;
constexpr size_t kCapGrowth = 16;
// Texts of this many bytes or more are read both ways at once.
constexpr size_t kBothDirectionsBytes = size_t{1} << 20;

// The progress of one sample, read forward and backward, each shown as
// half of the sample's work. Only the calling thread shows it and watches
// for a stop; a direction on the other thread stops at its next report
// once a stop was asked for.
class TwoWayProgress {
 public:
  TwoWayProgress(uint64_t size, const WorkReport& report)
      : size_(size), report_(report) {}

  // Shows both directions' progress; false, and the other thread told to
  // stop, when a stop was asked for.
  bool Show() {
    if (report_(forward_done_.load() + backward_done_.load(), 2 * size_ + 2)) {
      return true;
    }
    stop_.store(true);
    return false;
  }
  // The reports of the directions: going forward, on the calling thread;
  // going back on the other thread (it shows nothing); going back on the
  // calling thread, after going forward.
  WorkReport Forward() {
    return [this](uint64_t done, uint64_t of) {
      Advance(&forward_done_, of == 0 ? 0 : done * size_ / of);
      return Show();
    };
  }
  WorkReport Backward() {
    return [this](uint64_t done, uint64_t of) { return GoBack(done, of); };
  }
  WorkReport BackwardAlone() {
    return [this](uint64_t done, uint64_t of) {
      return GoBack(done, of) && Show();
    };
  }
  void Stop() { stop_.store(true); }

 private:
  // A direction's rounds each start from nothing again: what shows only
  // grows. Each counter has one writer.
  static void Advance(std::atomic<uint64_t>* counter, uint64_t value) {
    if (value > counter->load()) counter->store(value);
  }
  bool GoBack(uint64_t done, uint64_t of) {
    Advance(&backward_done_, of == 0 ? 0 : done * (size_ + 1) / of);
    return !stop_.load();
  }

  const uint64_t size_;
  const WorkReport& report_;
  std::atomic<uint64_t> forward_done_{0};
  std::atomic<uint64_t> backward_done_{0};
  std::atomic<bool> stop_{false};
};

}  // namespace

PresenceTracker::PresenceTracker(const std::vector<std::string_view>& accepted)
    : accepted_(accepted),
      prefix_(accepted.size()),
      suffix_(accepted.size()),
      all_gone_(accepted.empty()) {
  for (size_t a = 0; a < accepted.size(); ++a) {
    prefix_[a] = accepted[a].size();
    suffix_[a] = accepted[a].size();
  }
}

size_t PresenceTracker::WordSlot(std::string_view word) const {
  uint64_t hash = 14695981039346656037u;  // FNV-1a
  for (char c : word) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
  }
  const size_t mask = word_slots_.size() - 1;
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const uint32_t entry = word_slots_[slot];
    if (entry == 0 || words_[entry - 1] == word) return slot;
  }
}

void PresenceTracker::AddWord(std::string_view word) {
  // Kept at most half full, so that a search soon meets an empty slot.
  if (2 * (words_.size() + 1) > word_slots_.size()) {
    size_t slots = 1024;
    while (slots < 4 * words_.size()) slots *= 2;  // a power of two: masks
    word_slots_.assign(slots, 0);
    for (size_t w = 0; w < words_.size(); ++w) {
      word_slots_[WordSlot(words_[w])] = static_cast<uint32_t>(w + 1);
    }
  }
  const size_t slot = WordSlot(word);
  if (word_slots_[slot] != 0) return;
  words_.push_back(word);
  word_present_.push_back(1);
  word_slots_[slot] = static_cast<uint32_t>(words_.size());
  all_gone_ = false;
}

int64_t PresenceTracker::WordId(std::string_view word) const {
  if (word_slots_.empty()) return -1;
  return static_cast<int64_t>(word_slots_[WordSlot(word)]) - 1;
}

PatternAutomaton PresenceTracker::TakeAutomaton() {
  PatternAutomaton taken = std::move(forward_.set.automaton.capacity() >=
                                             backward_.set.automaton.capacity()
                                         ? forward_.set.automaton
                                         : backward_.set.automaton);
  forward_ = Direction();
  backward_ = Direction();
  pairs_.Release();
  pairs_valid_ = false;
  std::vector<TextPiece>().swap(runs_);
  std::vector<TextPiece>().swap(run_scratch_);
  return taken;
}

void PresenceTracker::UpdateAllGone() {
  all_gone_ = false;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (prefix_[a] != 0 || suffix_[a] != 0) return;
  }
  for (unsigned char present : word_present_) {
    if (present) return;
  }
  all_gone_ = true;
}

void PresenceTracker::FindPairs() {
  BytePairs upper;
  auto add = [&](std::string_view piece) {
    for (size_t i = 1; i < piece.size(); ++i) {
      upper.Add(BytePairs::Pair(ByteAt(piece, i - 1), ByteAt(piece, i)));
    }
  };
  for (size_t a = 0; a < accepted_.size(); ++a) {
    const std::string_view r = accepted_[a];
    add(r.substr(0, prefix_[a]));
    add(r.substr(r.size() - suffix_[a]));
  }
  for (size_t w = 0; w < words_.size(); ++w) {
    if (word_present_[w]) add(words_[w]);
  }
  // A pair of read bytes counts when its upper-cased pair does.
  std::array<std::vector<unsigned char>, 256> read_as;
  for (int b = 0; b < 256; ++b) {
    read_as[UpperByte(static_cast<unsigned char>(b))].push_back(
        static_cast<unsigned char>(b));
  }
  pairs_.Clear();
  for (size_t pair = 0; pair < 65536; ++pair) {
    if (!upper.Has(pair)) continue;
    for (unsigned char a : read_as[pair >> 8]) {
      for (unsigned char b : read_as[pair & 255]) {
        pairs_.Add(BytePairs::Pair(a, b));
      }
    }
  }
  pairs_valid_ = true;
}

std::string_view PresenceTracker::LiveText(size_t owner,
                                           Reading reading) const {
  if (owner >= kWordOwner) {
    const size_t w = owner - kWordOwner;
    return word_present_[w] ? words_[w] : std::string_view();
  }
  const std::string_view r = accepted_[owner];
  if (reading == Reading::kBackward) {
    if (back_skip_[owner]) return std::string_view();
    return r.substr(r.size() - suffix_[owner]);
  }
  return r.substr(0, prefix_[owner]);
}

bool PresenceTracker::NarrowDirection(const SearchText& text,
                                      Direction* direction,
                                      const WorkReport& report, bool* lost) {
  const Reading reading = text.reading;
  PatternSet& set = direction->set;
  // The first `cap` bytes of an owner's live text as read.
  auto capped = [&](size_t owner, size_t cap) {
    const std::string_view live = LiveText(owner, reading);
    const size_t length = std::min(live.size(), cap);
    return reading == Reading::kBackward ? live.substr(live.size() - length)
                                         : live.substr(0, length);
  };
  std::vector<size_t> owners;
  uint64_t material = 0;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    const size_t length = LiveText(a, reading).size();
    material += length;
    if (length != 0) owners.push_back(a);
  }
  for (size_t w = 0; reading == Reading::kForward && w < words_.size(); ++w) {
    material += LiveText(kWordOwner + w, reading).size();
    if (word_present_[w]) owners.push_back(kWordOwner + w);
  }
  size_t cap =
      !direction->valid && material > kCapMaterial ? kFirstCap : kNoCap;
  bool round_lost = false;
  while (true) {
    if (!direction->valid) {
      set.patterns.clear();
      direction->owners.clear();
      size_t need = 0;
      for (size_t owner : owners) {
        set.patterns.push_back(capped(owner, cap));
        direction->owners.push_back(owner);
        need += set.patterns.back().size();
      }
      uint64_t run_bytes = 0;
      for (const TextPiece& run : runs_) run_bytes += run.end - run.begin;
      if (!set.Build(reading, run_bytes, [&] { return report(0, 1); })) {
        return false;
      }
      direction->valid = cap == kNoCap;
      direction->built_bytes = need;
    } else {
      set.automaton.ClearMarks();
    }
    if (set.patterns.empty()) return true;
    if (!direction->search.FindLongest(text, &set, &direction->found, report)) {
      return false;
    }

    std::vector<size_t> again;
    for (size_t i = 0; i < set.patterns.size(); ++i) {
      const size_t owner = direction->owners[i];
      const size_t length = set.patterns[i].size();
      const size_t found = direction->found[i];
      const size_t known = LiveText(owner, reading).size();
      if (found == length && length < known) {
        again.push_back(owner);  // found as far as looked
        continue;
      }
      if (found == known) continue;
      round_lost = true;
      if (owner >= kWordOwner) {
        word_present_[owner - kWordOwner] = 0;
        continue;
      }
      const std::string_view r = accepted_[owner];
      if (reading == Reading::kBackward) {
        suffix_[owner] = ClipSuffix(r, found);
      } else {
        prefix_[owner] = ClipPrefix(r, found);
      }
    }
    if (again.empty()) break;
    owners.swap(again);
    direction->valid = false;
    cap = cap > kNoCap / kCapGrowth ? kNoCap : cap * kCapGrowth;
  }
  if (round_lost) {
    *lost = true;
    if (direction->valid) {
      size_t kept = 0;
      uint64_t kept_bytes = 0;
      for (size_t i = 0; i < set.patterns.size(); ++i) {
        const std::string_view live = LiveText(direction->owners[i], reading);
        if (live.empty()) continue;
        if (live.size() != set.patterns[i].size()) {
          set.ends[i] = set.automaton.Find(live);
        }
        set.patterns[kept] = live;
        direction->owners[kept] = direction->owners[i];
        set.ends[kept] = set.ends[i];
        ++kept;
        kept_bytes += live.size();
      }
      set.patterns.resize(kept);
      direction->owners.resize(kept);
      set.ends.resize(kept);
      if (kept_bytes < direction->built_bytes / 4 * 3) {
        direction->valid = false;
      }
    }
  }
  return true;
}

bool PresenceTracker::HasWork(Reading reading) const {
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (!LiveText(a, reading).empty()) return true;
  }
  if (reading == Reading::kForward) {
    for (unsigned char present : word_present_) {
      if (present) return true;
    }
  }
  return false;
}

void PresenceTracker::ChooseBackwardPatterns() {
  // Before the first sample nothing is known to be present whole.
  bool include_whole = !narrowed_before_;
  narrowed_before_ = true;
  for (size_t a = 0; a < accepted_.size() && !include_whole; ++a) {
    include_whole = suffix_[a] != 0 && prefix_[a] != accepted_[a].size();
  }
  back_skip_.resize(accepted_.size());
  for (size_t a = 0; a < accepted_.size(); ++a) {
    back_skip_[a] = !include_whole && prefix_[a] == accepted_[a].size();
  }
  if (backward_.valid && backward_with_whole_ != include_whole) {
    backward_.valid = false;
  }
  backward_with_whole_ = include_whole;
}

bool PresenceTracker::Narrow(std::string_view bytes, const WorkReport& report) {
  if (!pairs_valid_) FindPairs();
  FindRuns(pairs_, bytes, &runs_, &run_scratch_);
  ChooseBackwardPatterns();
  TwoWayProgress progress(bytes.size(), report);
  bool lost = false;
  if (!HasWork(Reading::kForward) || !HasWork(Reading::kBackward) ||
      bytes.size() < kBothDirectionsBytes) {
    if (!NarrowDirection(
            {bytes, runs_, Reading::kForward, SecondThread::kWhenItPays},
            &forward_, progress.Forward(), &lost)) {
      return false;
    }
    // Raw strings left out going back that stopped being present whole
    // are looked for now; the automaton going back does not have them.
    for (size_t a = 0; lost && a < accepted_.size(); ++a) {
      if (back_skip_[a] && prefix_[a] != accepted_[a].size()) {
        back_skip_[a] = 0;
        backward_.valid = false;
      }
    }
    if (!NarrowDirection(
            {bytes, runs_, Reading::kBackward, SecondThread::kWhenItPays},
            &backward_, progress.BackwardAlone(), &lost)) {
      return false;
    }
  } else {
    bool backward_ok = false;
    bool backward_lost = false;
    SideTask backward([&] {
      backward_ok =
          NarrowDirection({bytes, runs_, Reading::kBackward, SecondThread::kNo},
                          &backward_, progress.Backward(), &backward_lost);
    });
    bool ok =
        NarrowDirection({bytes, runs_, Reading::kForward, SecondThread::kNo},
                        &forward_, progress.Forward(), &lost);
    if (ok) ok = backward.WaitPolling([&] { return progress.Show(); });
    if (!ok) progress.Stop();
    backward.Wait();
    if (!ok || !backward_ok) return false;
    lost = lost || backward_lost;
  }
  if (lost) {
    // Fewer pairs let fewer bytes through; an automaton kept with patterns
    // no longer looked for still finds the others within those bytes.
    pairs_valid_ = false;
    UpdateAllGone();
  }
  return true;
}

}  // namespace mavoscan
