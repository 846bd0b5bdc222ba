#include "strings/presence.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/text.h"
#include "strings/candidates.h"
#include "strings/raw_strings.h"

namespace mavoscan {
namespace {

using Piece = PresenceTracker::Piece;

// Texts are fed in pieces of this size, with a progress report after each.
constexpr size_t kFeedChunk = size_t{1} << 20;
// Feeding checks for a stop after about this many bytes.
constexpr size_t kCheckEvery = size_t{64} << 10;
// Two threads take turns at shares of a text's runs, each about a 16th of
// what is fed at once, within these bounds.
constexpr size_t kLeastShare = size_t{32} << 10;
constexpr size_t kShareBytes = size_t{256} << 10;
constexpr size_t kSharesPerFeed = 16;
// Runs longer than this are cut into pieces of this size.
constexpr size_t kPieceBytes = size_t{64} << 10;
// Above this many bytes of raw-string material, a pass first looks for the
// first kFirstCap bytes of each raw string only, then kCapGrowth times as
// many of those found that far, and so on.
constexpr uint64_t kCapMaterial = uint64_t{1} << 20;
constexpr size_t kFirstCap = 32;
constexpr size_t kCapGrowth = 16;
// A share is fed as lanes when each lane gets at least kLaneMin bytes and
// kLaneDepths times the automaton's depth (its warm-up).
constexpr size_t kLaneMin = size_t{2} << 10;
constexpr size_t kLaneDepths = 16;
// ... and its pieces are this long on average.
constexpr size_t kLanePiece = 64;
// Texts of this many bytes or more are read both ways at once.
constexpr size_t kBothDirectionsBytes = size_t{1} << 20;
// Below this many bytes to feed a second thread costs more than it saves.
constexpr size_t kParallelBytes = size_t{1} << 20;
// An automaton's transition table gets about as many bytes as it is to
// feed, within these bounds.
constexpr size_t kLeastTable = size_t{256} << 10;
constexpr size_t kMostTable = size_t{16} << 20;
// A smaller automaton is built for what is still open in a text only when
// that leaves at least this many bytes to feed per byte of its patterns.
constexpr uint64_t kBuildWorth = 24;
// A text's first stage is about 1 / kStageParts of it, at least
// kFirstStage bytes.
constexpr uint64_t kStageParts = 16;
constexpr uint64_t kFirstStage = uint64_t{256} << 10;

size_t TableBytes(uint64_t to_feed) {
  return static_cast<size_t>(
      std::clamp<uint64_t>(to_feed, kLeastTable, kMostTable));
}

bool HasPair(const std::vector<uint64_t>& bits, size_t pair) {
  return (bits[pair >> 6] >> (pair & 63)) & 1;
}

void SetPair(std::vector<uint64_t>* bits, size_t pair) {
  (*bits)[pair >> 6] |= uint64_t{1} << (pair & 63);
}

// The stretches of bytes[begin, end) in which every two neighbouring bytes
// form a pair of `pairs`, at least 4 bytes long, appended to *runs: only
// there can a pattern text of 2 bytes or more occur. Feeding only these
// (each from the root) marks every node of 4 bytes or more that a feed of
// the whole text marks, and their prefixes, which is all that counts:
// nothing shorter is a candidate.
void FindRunsIn(const std::vector<uint64_t>& pairs, std::string_view bytes,
                size_t begin, size_t end, std::vector<Piece>* runs) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  auto valid = [&](size_t i) {
    return HasPair(pairs, size_t{p[i]} << 8 | p[i + 1]);
  };
  // No run starts before i; the pair ending at i is not valid, so a run
  // never reaches back before i. A run of 4 bytes from i needs the pairs at
  // i, i + 1 and i + 2: when the pair at i + 2 fails, none starts at i,
  // i + 1 or i + 2.
  size_t i = begin;
  while (i + 3 < end) {
    if (!valid(i + 2)) {
      i += 3;
      continue;
    }
    size_t first = i + 2;
    while (first > i && valid(first - 1)) --first;
    size_t last = i + 2;  // the last valid pair
    while (last + 2 < end && valid(last + 1)) ++last;
    if (last + 2 - first >= kMinStringLength) {
      runs->push_back({first, last + 2, 0});
    }
    i = last + 2;
  }
}

// FindRunsIn over all of `bytes`, a long text in two halves on two threads,
// cut where two neighbouring bytes do not form a pair (no run crosses).
void FindRuns(const std::vector<uint64_t>& pairs, std::string_view bytes,
              std::vector<Piece>* runs, std::vector<Piece>* scratch) {
  runs->clear();
  const size_t n = bytes.size();
  size_t cut = n;
  if (n >= kParallelBytes) {
    const size_t limit = std::min(n - 1, n / 2 + kShareBytes);
    for (size_t m = n / 2; m < limit; ++m) {
      if (!HasPair(pairs,
                   size_t{ByteAt(bytes, m - 1)} << 8 | ByteAt(bytes, m))) {
        cut = m;
        break;
      }
    }
  }
  if (cut == n) {
    FindRunsIn(pairs, bytes, 0, n, runs);
    return;
  }
  scratch->clear();
  std::thread helper([&] { FindRunsIn(pairs, bytes, cut, n, scratch); });
  FindRunsIn(pairs, bytes, 0, cut, runs);
  helper.join();
  runs->insert(runs->end(), scratch->begin(), scratch->end());
}

// Cuts long runs into pieces; each later piece of a run starts after up to
// `depth` bytes of warm-up (going back: the bytes after it), as a state
// stands for no more bytes than that. With very long patterns warming up
// would cost too much, and runs stay whole.
void CutRuns(const std::vector<Piece>& runs, bool backward, size_t depth,
             std::vector<Piece>* pieces) {
  pieces->clear();
  const bool cut = depth <= kPieceBytes / 8;
  for (const Piece& run : runs) {
    if (!cut || run.end - run.begin <= kPieceBytes) {
      pieces->push_back(run);
      continue;
    }
    for (size_t at = run.begin; at < run.end; at += kPieceBytes) {
      const size_t end = std::min(at + kPieceBytes, run.end);
      const size_t warm = backward ? std::min(depth, run.end - end)
                                   : std::min(depth, at - run.begin);
      pieces->push_back({at, end, warm});
    }
  }
}

// Where a piece's byte at `offset` (counted in reading order) stands:
// forward the text position of that byte, going back the position just
// after it. Warm-up bytes lie just before that (going back: from there on).
size_t ReadingAt(const Piece& piece, size_t offset, bool backward) {
  return backward ? piece.end - offset : piece.begin + offset;
}

// The state at `offset` (in reading order) of `piece`: after the bytes
// that lead up to it within the run, as many as a state can stand for, fed
// from the root without marks.
PatternAutomaton::State StateAt(const PatternAutomaton& automaton,
                                std::string_view bytes, const Piece& piece,
                                size_t offset, bool backward) {
  const size_t warm = std::min(automaton.depth(), piece.warm + offset);
  if (warm == 0) return PatternAutomaton::kRoot;
  const size_t at = ReadingAt(piece, offset, backward);
  const size_t from = backward ? at : at - warm;
  return automaton.Feed(PatternAutomaton::kRoot, bytes.substr(from, warm),
                        backward, nullptr);
}

// Feeds `piece`, checking passed(length) after each stretch; stops when
// that returns false.
template <typename Passed>
bool FeedPieceAlone(const PatternAutomaton& automaton, std::string_view bytes,
                    const Piece& piece, bool backward, unsigned char* marks,
                    Passed& passed) {
  const size_t length = piece.end - piece.begin;
  PatternAutomaton::State state = StateAt(automaton, bytes, piece, 0, backward);
  for (size_t offset = 0; offset < length;) {
    const size_t step = std::min(kCheckEvery, length - offset);
    const size_t at = ReadingAt(piece, offset, backward);
    state = automaton.Feed(state, bytes.substr(backward ? at - step : at, step),
                           backward, marks);
    offset += step;
    if (!passed(step)) return false;
  }
  return true;
}

// Feeds the `total` bytes of the pieces from pieces[first] on as kLanes lanes
// of equal length, stepped together: lane j reads the bytes from j / kLanes of
// the way through them, after a warm-up when it starts inside a piece.
void FeedInLanes(const PatternAutomaton& automaton, std::string_view bytes,
                 const std::vector<Piece>& pieces, size_t first, uint64_t total,
                 bool backward, unsigned char* marks) {
  constexpr size_t kLanes = PatternAutomaton::kLanes;
  struct Lane {
    size_t piece;
    size_t offset;  // in the piece, in reading order
    uint64_t left;  // bytes the lane has still to read
  };
  std::array<Lane, kLanes> lanes;
  std::array<PatternAutomaton::State, kLanes> states;
  const uint64_t per_lane = total / kLanes;
  size_t k = first;
  uint64_t before_k = 0;  // bytes of pieces[first, k)
  for (size_t j = 0; j < kLanes; ++j) {
    const uint64_t start = j * per_lane;
    while (before_k + (pieces[k].end - pieces[k].begin) <= start) {
      before_k += pieces[k].end - pieces[k].begin;
      ++k;
    }
    const size_t offset = static_cast<size_t>(start - before_k);
    lanes[j] = {k, offset, j + 1 < kLanes ? per_lane : total - start};
    states[j] = StateAt(automaton, bytes, pieces[k], offset, backward);
  }
  std::array<std::string_view, kLanes> chunks;
  while (true) {
    uint64_t step = ~uint64_t{0};
    for (const Lane& lane : lanes) {
      const Piece& piece = pieces[lane.piece];
      step = std::min(
          {step, lane.left, uint64_t{piece.end - piece.begin - lane.offset}});
    }
    if (step == 0) break;
    for (size_t j = 0; j < kLanes; ++j) {
      const size_t at =
          ReadingAt(pieces[lanes[j].piece], lanes[j].offset, backward);
      chunks[j] = bytes.substr(backward ? at - step : at, step);
    }
    automaton.FeedLanes(&states, chunks, backward, marks);
    for (size_t j = 0; j < kLanes; ++j) {
      Lane& lane = lanes[j];
      lane.offset += step;
      lane.left -= step;
      if (lane.left > 0 &&
          lane.offset == pieces[lane.piece].end - pieces[lane.piece].begin) {
        ++lane.piece;
        lane.offset = 0;
        states[j] = StateAt(automaton, bytes, pieces[lane.piece], 0, backward);
      }
    }
  }
  // All lanes but the last are done; the last has fewer than kLanes bytes
  // left.
  Lane& lane = lanes[kLanes - 1];
  PatternAutomaton::State state = states[kLanes - 1];
  while (lane.left > 0) {
    const Piece& piece = pieces[lane.piece];
    const size_t step = static_cast<size_t>(
        std::min<uint64_t>(lane.left, piece.end - piece.begin - lane.offset));
    const size_t at = ReadingAt(piece, lane.offset, backward);
    state = automaton.Feed(state, bytes.substr(backward ? at - step : at, step),
                           backward, marks);
    lane.left -= step;
    lane.offset = 0;
    ++lane.piece;
    if (lane.left > 0) {
      state = StateAt(automaton, bytes, pieces[lane.piece], 0, backward);
    }
  }
}

// Feeds shares of `pieces` with `marks`, taking the next share from
// `next_share` until none is left; `done` counts the bytes fed. Stops early
// when `stop` is set or `keep_going` (when given) returns false.
bool FeedShares(const PatternAutomaton& automaton, std::string_view bytes,
                const std::vector<Piece>& pieces,
                const std::vector<size_t>& share_starts, bool backward,
                unsigned char* marks, std::atomic<size_t>* next_share,
                std::atomic<uint64_t>* done, std::atomic<bool>* stop,
                const std::function<bool()>& keep_going) {
  // Runs can be a few bytes each: count and check in batches.
  uint64_t unreported = 0;
  auto passed = [&](size_t length) {
    unreported += length;
    if (unreported < kCheckEvery) return true;
    done->fetch_add(unreported, std::memory_order_relaxed);
    unreported = 0;
    if (stop->load(std::memory_order_relaxed)) return false;
    if (keep_going && !keep_going()) {
      stop->store(true);
      return false;
    }
    return true;
  };
  const size_t depth = automaton.depth();
  for (size_t share = next_share->fetch_add(1); share + 1 < share_starts.size();
       share = next_share->fetch_add(1)) {
    const size_t first = share_starts[share];
    const size_t last = share_starts[share + 1];
    uint64_t share_bytes = 0;
    for (size_t k = first; k < last; ++k) {
      share_bytes += pieces[k].end - pieces[k].begin;
    }
    // Lanes pay off unless warming them up would cost a good part of the
    // work, or the pieces are so short that lanes keep changing pieces.
    const uint64_t per_lane = share_bytes / PatternAutomaton::kLanes;
    if (per_lane >= kLaneMin && per_lane >= kLaneDepths * depth &&
        share_bytes >= kLanePiece * (last - first)) {
      FeedInLanes(automaton, bytes, pieces, first, share_bytes, backward,
                  marks);
      if (!passed(share_bytes)) return false;
      continue;
    }
    for (size_t k = first; k < last; ++k) {
      if (!FeedPieceAlone(automaton, bytes, pieces[k], backward, marks,
                          passed)) {
        return false;
      }
    }
  }
  done->fetch_add(unreported, std::memory_order_relaxed);
  return !stop->load();
}

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
  PatternAutomaton taken =
      std::move(forward_.automaton.capacity() >= backward_.automaton.capacity()
                    ? forward_.automaton
                    : backward_.automaton);
  forward_ = Direction();
  backward_ = Direction();
  std::vector<uint64_t>().swap(pairs_);
  pairs_valid_ = false;
  std::vector<Piece>().swap(runs_);
  std::vector<Piece>().swap(run_scratch_);
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
  std::vector<uint64_t> upper(1024, 0);
  auto add = [&](std::string_view piece) {
    for (size_t i = 1; i < piece.size(); ++i) {
      SetPair(&upper, size_t{ByteAt(piece, i - 1)} << 8 | ByteAt(piece, i));
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
  pairs_.assign(1024, 0);
  for (size_t pair = 0; pair < 65536; ++pair) {
    if (!HasPair(upper, pair)) continue;
    for (unsigned char a : read_as[pair >> 8]) {
      for (unsigned char b : read_as[pair & 255]) {
        SetPair(&pairs_, size_t{a} << 8 | b);
      }
    }
  }
  pairs_valid_ = true;
}

bool PresenceTracker::FeedPieces(std::string_view bytes, bool backward,
                                 bool may_share, Direction* direction,
                                 PatternAutomaton* automaton, size_t begin,
                                 size_t end, uint64_t done_before,
                                 uint64_t total, const WorkReport& report) {
  const std::vector<Piece>& pieces = direction->pieces;
  std::vector<size_t>& share_starts = direction->share_starts;
  uint64_t stage_bytes = 0;
  for (size_t k = begin; k < end; ++k) {
    stage_bytes += pieces[k].end - pieces[k].begin;
  }
  // Shares of consecutive pieces, enough of them to keep both threads
  // busy to the end.
  const size_t share_target = static_cast<size_t>(std::clamp<uint64_t>(
      stage_bytes / kSharesPerFeed, kLeastShare, kShareBytes));
  share_starts.assign(1, begin);
  size_t share_bytes = 0;
  for (size_t k = begin; k < end; ++k) {
    share_bytes += pieces[k].end - pieces[k].begin;
    if (share_bytes >= share_target || k + 1 == end) {
      share_starts.push_back(k + 1);
      share_bytes = 0;
    }
  }
  std::atomic<size_t> next_share{0};
  std::atomic<uint64_t> done{0};
  std::atomic<bool> stop{false};
  uint64_t reported = 0;
  auto keep_going = [&] {
    const uint64_t now = done.load(std::memory_order_relaxed);
    if (now < reported + kFeedChunk) return true;
    reported = now;
    return report(done_before + now, total);
  };
  unsigned char* marks = automaton->marks();
  if (!may_share || stage_bytes < kParallelBytes) {
    if (!FeedShares(*automaton, bytes, pieces, share_starts, backward, marks,
                    &next_share, &done, &stop, keep_going)) {
      return false;
    }
  } else {
    direction->helper_marks.assign(automaton->node_count(), 0);
    std::atomic<bool> helper_finished{false};
    std::thread helper([&] {
      FeedShares(*automaton, bytes, pieces, share_starts, backward,
                 direction->helper_marks.data(), &next_share, &done, &stop,
                 nullptr);
      helper_finished.store(true);
    });
    bool ok = FeedShares(*automaton, bytes, pieces, share_starts, backward,
                         marks, &next_share, &done, &stop, keep_going);
    // The keyboard stays watched while the other thread finishes its share.
    while (ok && !helper_finished.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      reported = 0;
      if (!keep_going()) {
        stop.store(true);
        ok = false;
      }
    }
    helper.join();
    if (!ok) return false;
    automaton->MergeMarks(direction->helper_marks);
  }
  automaton->SpreadMarks();
  return report(done_before + stage_bytes, total);
}

bool PresenceTracker::FindLongest(std::string_view bytes, bool backward,
                                  bool may_share, Direction* direction,
                                  const WorkReport& report) {
  const std::vector<std::string_view>& patterns = direction->patterns;
  std::vector<Piece>& pieces = direction->pieces;
  std::vector<size_t>* found = &direction->found;
  std::vector<uint32_t>& marked_lengths = direction->marked_lengths;
  CutRuns(runs_, backward, direction->automaton.depth(), &pieces);
  uint64_t total = 0;
  for (const Piece& piece : pieces) total += piece.end - piece.begin;
  found->assign(patterns.size(), 0);
  // The patterns not yet found whole, each with its number in the
  // automaton in use.
  struct Open {
    uint32_t pattern;
    uint32_t node_of;
  };
  std::vector<Open> open(patterns.size());
  for (uint32_t i = 0; i < open.size(); ++i) open[i] = {i, i};
  PatternAutomaton* automaton = &direction->automaton;
  const std::vector<PatternAutomaton::State>* ends = &direction->ends;
  size_t built_for = open.size();
  // Most patterns that occur at all occur early in a text: after each
  // stage those found whole are settled, and once enough are, a smaller
  // automaton of the others (quicker to step through) takes the next,
  // twice longer stage. A state stands for no more bytes than the first
  // automaton's depth, so the warm-up of every piece suits them all.
  uint64_t stage = std::max<uint64_t>(kFirstStage, total / kStageParts);
  uint64_t done = 0;
  size_t begin = 0;
  while (begin < pieces.size()) {
    size_t end = begin;
    uint64_t stage_bytes = 0;
    while (end < pieces.size() && stage_bytes < stage) {
      stage_bytes += pieces[end].end - pieces[end].begin;
      ++end;
    }
    if (!FeedPieces(bytes, backward, may_share, direction, automaton, begin,
                    end, done, total, report)) {
      return false;
    }
    done += stage_bytes;
    begin = end;
    const size_t open_before = open.size();
    automaton->LongestMarkedPrefixes(&marked_lengths);
    size_t kept = 0;
    for (const Open& o : open) {
      const size_t length = patterns[o.pattern].size();
      const size_t now = marked_lengths[(*ends)[o.node_of]];
      size_t& best = (*found)[o.pattern];
      best = std::max(best, now);
      if (best < length) open[kept++] = o;
    }
    open.resize(kept);
    if (open.empty()) break;
    // Where few were settled, staging does not pay: the rest is one stage.
    stage = open.size() * 4 > open_before * 3 ? total : stage * 2;
    uint64_t open_bytes = 0;
    for (const Open& o : open) open_bytes += patterns[o.pattern].size();
    // A build costs about as much as feeding kBuildWorth bytes per
    // pattern byte: a smaller automaton must have that much left to feed.
    if (begin < pieces.size() && open.size() * 4 <= built_for * 3 &&
        total - done >= kBuildWorth * open_bytes) {
      direction->stage_patterns.clear();
      for (Open& o : open) {
        o.node_of = static_cast<uint32_t>(direction->stage_patterns.size());
        direction->stage_patterns.push_back(patterns[o.pattern]);
      }
      if (!direction->stage_automaton.Build(
              direction->stage_patterns, backward, true, &direction->stage_ends,
              [&] { return report(done, total); }, TableBytes(total - done))) {
        return false;
      }
      automaton = &direction->stage_automaton;
      ends = &direction->stage_ends;
      built_for = open.size();
    }
  }
  return true;
}

bool PresenceTracker::NarrowDirection(std::string_view bytes, bool backward,
                                      bool may_share, Direction* into,
                                      const WorkReport& report, bool* lost) {
  Direction& direction = *into;
  // What an owner (raw string a, or a word) still has present: the whole
  // text to look for; nothing when there is nothing to look for.
  auto whole = [&](size_t owner) {
    if (owner >= kWordOwner) {
      const size_t w = owner - kWordOwner;
      return word_present_[w] ? words_[w] : std::string_view();
    }
    const std::string_view r = accepted_[owner];
    const size_t length = backward ? suffix_[owner] : prefix_[owner];
    // A raw string present whole has all its suffixes: no need to look.
    if (length == 0 || (backward && back_skip_[owner])) {
      return std::string_view();
    }
    // Going back, the last bytes of r, which the automaton reads backward.
    return backward ? r.substr(r.size() - length) : r.substr(0, length);
  };
  auto piece = [&](size_t owner, size_t cap) {
    const std::string_view text = whole(owner);
    const size_t length = std::min(text.size(), cap);
    return backward ? text.substr(text.size() - length)
                    : text.substr(0, length);
  };
  std::vector<size_t> owners;
  uint64_t material = 0;
  for (size_t a = 0; a < accepted_.size(); ++a) {
    material += whole(a).size();
    if (!whole(a).empty()) owners.push_back(a);
  }
  for (size_t w = 0; !backward && w < words_.size(); ++w) {
    material += whole(kWordOwner + w).size();
    if (word_present_[w]) owners.push_back(kWordOwner + w);
  }
  // Long texts rarely occur whole: a first round looks for their first
  // bytes only, and only those found that far are looked for again,
  // further. This keeps the automaton of a first pass small.
  size_t cap = !direction.valid && material > kCapMaterial ? kFirstCap : kNoCap;
  bool round_lost = false;
  while (true) {
    if (!direction.valid) {
      direction.patterns.clear();
      direction.owners.clear();
      size_t need = 0;
      for (size_t owner : owners) {
        direction.patterns.push_back(piece(owner, cap));
        direction.owners.push_back(owner);
        need += direction.patterns.back().size();
      }
      uint64_t run_bytes = 0;
      for (const Piece& run : runs_) run_bytes += run.end - run.begin;
      if (!direction.automaton.Build(
              direction.patterns, backward, true, &direction.ends,
              [&] { return report(0, 1); }, TableBytes(run_bytes))) {
        return false;
      }
      direction.valid = cap == kNoCap;
      direction.built_bytes = need;
    } else {
      direction.automaton.ClearMarks();
    }
    if (direction.patterns.empty()) return true;
    if (!FindLongest(bytes, backward, may_share, &direction, report)) {
      return false;
    }

    std::vector<size_t> again;
    for (size_t i = 0; i < direction.patterns.size(); ++i) {
      const size_t owner = direction.owners[i];
      const size_t length = direction.patterns[i].size();
      const size_t found = direction.found[i];
      const size_t known = whole(owner).size();
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
      if (backward) {
        suffix_[owner] = ClipSuffix(r, found);
      } else {
        prefix_[owner] = ClipPrefix(r, found);
      }
    }
    if (again.empty()) break;
    owners.swap(again);
    direction.valid = false;
    cap = cap > kNoCap / kCapGrowth ? kNoCap : cap * kCapGrowth;
  }
  if (round_lost) {
    *lost = true;
    // What was lost is now shorter, a node the automaton already has, or
    // gone: an automaton of all the patterns still finds them, so it is
    // kept until it holds too much that is no longer looked for.
    if (direction.valid) {
      size_t kept = 0;
      uint64_t kept_bytes = 0;
      for (size_t i = 0; i < direction.patterns.size(); ++i) {
        const std::string_view text = whole(direction.owners[i]);
        if (text.empty()) continue;
        if (text.size() != direction.patterns[i].size()) {
          direction.ends[i] = direction.automaton.Find(text);
        }
        direction.patterns[kept] = text;
        direction.owners[kept] = direction.owners[i];
        direction.ends[kept] = direction.ends[i];
        ++kept;
        kept_bytes += text.size();
      }
      direction.patterns.resize(kept);
      direction.owners.resize(kept);
      direction.ends.resize(kept);
      if (kept_bytes < direction.built_bytes / 4 * 3) direction.valid = false;
    }
  }
  return true;
}

bool PresenceTracker::HasWork(bool backward) const {
  for (size_t a = 0; a < accepted_.size(); ++a) {
    if (backward ? suffix_[a] != 0 && !back_skip_[a] : prefix_[a] != 0) {
      return true;
    }
  }
  if (!backward) {
    for (unsigned char present : word_present_) {
      if (present) return true;
    }
  }
  return false;
}

bool PresenceTracker::Narrow(std::string_view bytes, const WorkReport& report) {
  if (!pairs_valid_) FindPairs();
  FindRuns(pairs_, bytes, &runs_, &run_scratch_);
  const uint64_t size = bytes.size();
  const uint64_t total = 2 * size + 2;
  bool lost = false;
  // Prefixes and words reading forward, suffixes reading backward: the
  // work of each shows as half of the sample's.
  std::atomic<uint64_t> forward_done{0};
  std::atomic<uint64_t> backward_done{0};
  std::atomic<bool> stop{false};
  auto show = [&] {
    if (report(forward_done.load() + backward_done.load(), total)) {
      return true;
    }
    stop.store(true);
    return false;
  };
  // A direction's rounds each start from nothing again: what shows only
  // grows. Each counter has one writer.
  auto advance = [](std::atomic<uint64_t>* counter, uint64_t value) {
    if (value > counter->load()) counter->store(value);
  };
  auto forward_report = [&](uint64_t done, uint64_t of) {
    advance(&forward_done, of == 0 ? 0 : done * size / of);
    return show();
  };
  auto backward_report = [&](uint64_t done, uint64_t of) {
    advance(&backward_done, of == 0 ? 0 : done * (size + 1) / of);
    return !stop.load();
  };
  auto backward_alone = [&](uint64_t done, uint64_t of) {
    return backward_report(done, of) && show();
  };
  // A raw string present whole has all its suffixes present, so going
  // back need not look for it; but when going back looks for others anyway
  // it looks for it too (finding it whole where it is present), so that
  // the two directions need nothing from each other and may run at once.
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
  const bool forward_work = HasWork(false);
  const bool backward_work = HasWork(true);
  if (!forward_work || !backward_work || size < kBothDirectionsBytes) {
    // One after the other, each on two threads where that pays.
    if (!NarrowDirection(bytes, false, true, &forward_, forward_report,
                         &lost)) {
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
    if (!NarrowDirection(bytes, true, true, &backward_, backward_alone,
                         &lost)) {
      return false;
    }
  } else {
    // Both at once, the backward one on a thread of its own; only this
    // thread shows progress and watches the keyboard.
    bool backward_ok = false;
    bool backward_lost = false;
    bool backward_finished = false;
    std::mutex mutex;
    std::condition_variable finished;
    std::thread backward([&] {
      const bool ok = NarrowDirection(bytes, true, false, &backward_,
                                      backward_report, &backward_lost);
      std::lock_guard<std::mutex> lock(mutex);
      backward_ok = ok;
      backward_finished = true;
      finished.notify_one();
    });
    bool ok =
        NarrowDirection(bytes, false, false, &forward_, forward_report, &lost);
    {
      std::unique_lock<std::mutex> lock(mutex);
      while (ok && !backward_finished) {
        if (!finished.wait_for(lock, std::chrono::milliseconds(2),
                               [&] { return backward_finished; })) {
          ok = show();
        }
      }
    }
    if (!ok) stop.store(true);
    backward.join();
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
