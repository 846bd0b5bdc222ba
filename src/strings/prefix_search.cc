#include "strings/prefix_search.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "common/side_task.h"
#include "common/text.h"
#include "strings/raw_strings.h"

namespace mavoscan {
namespace {

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
// A share is fed as lanes when each lane gets at least kLaneMin bytes and
// kLaneDepths times the automaton's depth (its warm-up).
constexpr size_t kLaneMin = size_t{2} << 10;
constexpr size_t kLaneDepths = 16;
// ... and its pieces are this long on average.
constexpr size_t kLanePiece = 64;
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

// FindRuns over bytes[begin, end), appending to *runs. Feeding only the runs
// (each from the root) marks every node of 4 bytes or more that a feed of
// the whole text marks, and their prefixes, which is all that counts:
// nothing shorter is a candidate.
void FindRunsIn(const BytePairs& pairs, std::string_view bytes, size_t begin,
                size_t end, std::vector<TextPiece>* runs) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
  auto valid = [&](size_t i) {
    return pairs.Has(BytePairs::Pair(p[i], p[i + 1]));
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

size_t TableBytes(uint64_t to_feed) {
  return static_cast<size_t>(
      std::clamp<uint64_t>(to_feed, kLeastTable, kMostTable));
}

// Cuts long runs into pieces; each later piece of a run starts after up to
// `depth` bytes of warm-up (going back: the bytes after it), as a state
// stands for no more bytes than that. With very long patterns warming up
// would cost too much, and runs stay whole.
void CutRuns(const std::vector<TextPiece>& runs, Reading reading, size_t depth,
             std::vector<TextPiece>* pieces) {
  pieces->clear();
  const bool cut = depth <= kPieceBytes / 8;
  for (const TextPiece& run : runs) {
    if (!cut || run.end - run.begin <= kPieceBytes) {
      pieces->push_back(run);
      continue;
    }
    for (size_t at = run.begin; at < run.end; at += kPieceBytes) {
      const size_t end = std::min(at + kPieceBytes, run.end);
      const size_t warm = reading == Reading::kBackward
                              ? std::min(depth, run.end - end)
                              : std::min(depth, at - run.begin);
      pieces->push_back({at, end, warm});
    }
  }
}

// What a feed reads: the pieces of a text, through an automaton.
struct FeedInput {
  const PatternAutomaton& automaton;
  std::string_view bytes;
  const std::vector<TextPiece>& pieces;
  Reading reading;

  // Where a piece's byte at `offset` (counted in reading order) stands:
  // forward the text position of that byte, going back the position just
  // after it. Warm-up bytes lie just before that (going back: from there
  // on).
  size_t At(const TextPiece& piece, size_t offset) const {
    return reading == Reading::kBackward ? piece.end - offset
                                         : piece.begin + offset;
  }
  // The `length` bytes read from position `at` (as At gives it) on.
  std::string_view Chunk(size_t at, size_t length) const {
    return bytes.substr(reading == Reading::kBackward ? at - length : at,
                        length);
  }
  // The state at `offset` (in reading order) of `piece`: after the bytes
  // that lead up to it within the run, as many as a state can stand for,
  // fed from the root without marks.
  PatternAutomaton::State StateAt(const TextPiece& piece, size_t offset) const {
    const size_t warm = std::min(automaton.depth(), piece.warm + offset);
    if (warm == 0) return PatternAutomaton::kRoot;
    const size_t at = At(piece, offset);
    const size_t from = reading == Reading::kBackward ? at : at - warm;
    return automaton.Feed(PatternAutomaton::kRoot, bytes.substr(from, warm),
                          reading, nullptr);
  }
};

// The shares of the pieces that the feeding threads take in turn: share s
// is pieces[starts[s], starts[s + 1]).
struct ShareQueue {
  const std::vector<size_t>& starts;
  std::atomic<size_t> next{0};
  std::atomic<uint64_t> done{0};  // bytes fed
  std::atomic<bool> stop{false};
};

// Feeds `piece`, checking passed(length) after each stretch; stops when
// that returns false.
template <typename Passed>
bool FeedPieceAlone(const FeedInput& input, const TextPiece& piece,
                    unsigned char* marks, Passed& passed) {
  const size_t length = piece.end - piece.begin;
  PatternAutomaton::State state = input.StateAt(piece, 0);
  for (size_t offset = 0; offset < length;) {
    const size_t step = std::min(kCheckEvery, length - offset);
    state =
        input.automaton.Feed(state, input.Chunk(input.At(piece, offset), step),
                             input.reading, marks);
    offset += step;
    if (!passed(step)) return false;
  }
  return true;
}

// Feeds the `total` bytes of the pieces from pieces[first] on as kLanes lanes
// of equal length, stepped together: lane j reads the bytes from j / kLanes of
// the way through them, after a warm-up when it starts inside a piece.
void FeedInLanes(const FeedInput& input, size_t first, uint64_t total,
                 unsigned char* marks) {
  constexpr size_t kLanes = PatternAutomaton::kLanes;
  const std::vector<TextPiece>& pieces = input.pieces;
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
    states[j] = input.StateAt(pieces[k], offset);
  }
  std::array<std::string_view, kLanes> chunks;
  while (true) {
    uint64_t step = ~uint64_t{0};
    for (const Lane& lane : lanes) {
      const TextPiece& piece = pieces[lane.piece];
      step = std::min(
          {step, lane.left, uint64_t{piece.end - piece.begin - lane.offset}});
    }
    if (step == 0) break;
    for (size_t j = 0; j < kLanes; ++j) {
      chunks[j] =
          input.Chunk(input.At(pieces[lanes[j].piece], lanes[j].offset), step);
    }
    input.automaton.FeedLanes(&states, chunks, input.reading, marks);
    for (size_t j = 0; j < kLanes; ++j) {
      Lane& lane = lanes[j];
      lane.offset += step;
      lane.left -= step;
      if (lane.left > 0 &&
          lane.offset == pieces[lane.piece].end - pieces[lane.piece].begin) {
        ++lane.piece;
        lane.offset = 0;
        states[j] = input.StateAt(pieces[lane.piece], 0);
      }
    }
  }
  // All lanes but the last are done; the last has fewer than kLanes bytes
  // left.
  Lane& lane = lanes[kLanes - 1];
  PatternAutomaton::State state = states[kLanes - 1];
  while (lane.left > 0) {
    const TextPiece& piece = pieces[lane.piece];
    const size_t step = static_cast<size_t>(
        std::min<uint64_t>(lane.left, piece.end - piece.begin - lane.offset));
    state = input.automaton.Feed(
        state, input.Chunk(input.At(piece, lane.offset), step), input.reading,
        marks);
    lane.left -= step;
    lane.offset = 0;
    ++lane.piece;
    if (lane.left > 0) state = input.StateAt(pieces[lane.piece], 0);
  }
}

// Feeds shares from `queue` with `marks` until none is left. Stops early
// when the queue says stop or `keep_going` (when given) returns false.
bool FeedShares(const FeedInput& input, ShareQueue* queue, unsigned char* marks,
                const std::function<bool()>& keep_going) {
  // Runs can be a few bytes each: count and check in batches.
  uint64_t unreported = 0;
  auto passed = [&](size_t length) {
    unreported += length;
    if (unreported < kCheckEvery) return true;
    queue->done.fetch_add(unreported, std::memory_order_relaxed);
    unreported = 0;
    if (queue->stop.load(std::memory_order_relaxed)) return false;
    if (keep_going && !keep_going()) {
      queue->stop.store(true);
      return false;
    }
    return true;
  };
  const std::vector<TextPiece>& pieces = input.pieces;
  const std::vector<size_t>& starts = queue->starts;
  const size_t depth = input.automaton.depth();
  for (size_t share = queue->next.fetch_add(1); share + 1 < starts.size();
       share = queue->next.fetch_add(1)) {
    const size_t first = starts[share];
    const size_t last = starts[share + 1];
    uint64_t share_bytes = 0;
    for (size_t k = first; k < last; ++k) {
      share_bytes += pieces[k].end - pieces[k].begin;
    }
    // Lanes pay off unless warming them up would cost a good part of the
    // work, or the pieces are so short that lanes keep changing pieces.
    const uint64_t per_lane = share_bytes / PatternAutomaton::kLanes;
    if (per_lane >= kLaneMin && per_lane >= kLaneDepths * depth &&
        share_bytes >= kLanePiece * (last - first)) {
      FeedInLanes(input, first, share_bytes, marks);
      if (!passed(share_bytes)) return false;
      continue;
    }
    for (size_t k = first; k < last; ++k) {
      if (!FeedPieceAlone(input, pieces[k], marks, passed)) return false;
    }
  }
  queue->done.fetch_add(unreported, std::memory_order_relaxed);
  return !queue->stop.load();
}

}  // namespace

void FindRuns(const BytePairs& pairs, std::string_view bytes,
              std::vector<TextPiece>* runs, std::vector<TextPiece>* scratch) {
  runs->clear();
  const size_t n = bytes.size();
  // A long text is cut where two neighbouring bytes do not form a pair, so
  // that no run crosses the cut.
  size_t cut = n;
  if (n >= kParallelBytes) {
    const size_t limit = std::min(n - 1, n / 2 + kShareBytes);
    for (size_t m = n / 2; m < limit; ++m) {
      if (!pairs.Has(BytePairs::Pair(ByteAt(bytes, m - 1), ByteAt(bytes, m)))) {
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
  SideTask second_half([&] { FindRunsIn(pairs, bytes, cut, n, scratch); });
  FindRunsIn(pairs, bytes, 0, cut, runs);
  second_half.Wait();
  runs->insert(runs->end(), scratch->begin(), scratch->end());
}

bool PatternSet::Build(Reading reading, uint64_t to_feed,
                       const std::function<bool()>& keep_going) {
  return automaton.Build(patterns,
                         {.reading = reading,
                          .case_match = CaseMatch::kFolded,
                          .table_bytes = TableBytes(to_feed)},
                         &ends, keep_going);
}

bool PrefixSearch::FeedStage(const SearchText& text,
                             PatternAutomaton* automaton, const Stage& stage,
                             const WorkReport& report) {
  uint64_t stage_bytes = 0;
  for (size_t k = stage.first; k < stage.end; ++k) {
    stage_bytes += pieces_[k].end - pieces_[k].begin;
  }
  // Shares of consecutive pieces, enough of them to keep both threads
  // busy to the end.
  const size_t share_target = static_cast<size_t>(std::clamp<uint64_t>(
      stage_bytes / kSharesPerFeed, kLeastShare, kShareBytes));
  share_starts_.assign(1, stage.first);
  size_t share_bytes = 0;
  for (size_t k = stage.first; k < stage.end; ++k) {
    share_bytes += pieces_[k].end - pieces_[k].begin;
    if (share_bytes >= share_target || k + 1 == stage.end) {
      share_starts_.push_back(k + 1);
      share_bytes = 0;
    }
  }
  const FeedInput input{*automaton, text.bytes, pieces_, text.reading};
  ShareQueue queue{share_starts_};
  uint64_t reported = 0;
  auto keep_going = [&] {
    const uint64_t now = queue.done.load(std::memory_order_relaxed);
    if (now < reported + kFeedChunk) return true;
    reported = now;
    return report(stage.done_before + now, stage.total);
  };
  unsigned char* marks = automaton->marks();
  if (text.second_thread == SecondThread::kNo || stage_bytes < kParallelBytes) {
    if (!FeedShares(input, &queue, marks, keep_going)) return false;
  } else {
    helper_marks_.assign(automaton->node_count(), 0);
    SideTask helper(
        [&] { FeedShares(input, &queue, helper_marks_.data(), nullptr); });
    bool ok = FeedShares(input, &queue, marks, keep_going);
    // The keyboard stays watched while the other thread finishes its share.
    if (ok) {
      ok = helper.WaitPolling([&] {
        reported = 0;
        return keep_going();
      });
    }
    if (!ok) queue.stop.store(true);
    helper.Wait();
    if (!ok) return false;
    automaton->MergeMarks(helper_marks_);
  }
  automaton->SpreadMarks();
  return report(stage.done_before + stage_bytes, stage.total);
}

bool PrefixSearch::FindLongest(const SearchText& text, PatternSet* set,
                               std::vector<size_t>* found,
                               const WorkReport& report) {
  const std::vector<std::string_view>& patterns = set->patterns;
  CutRuns(text.runs, text.reading, set->automaton.depth(), &pieces_);
  uint64_t total = 0;
  for (const TextPiece& piece : pieces_) total += piece.end - piece.begin;
  found->assign(patterns.size(), 0);
  // The patterns not yet found whole, each with its number in the
  // automaton in use.
  struct Open {
    uint32_t pattern;
    uint32_t node_of;
  };
  std::vector<Open> open(patterns.size());
  for (uint32_t i = 0; i < open.size(); ++i) open[i] = {i, i};
  PatternSet* in_use = set;
  size_t built_for = open.size();
  uint64_t stage = std::max<uint64_t>(kFirstStage, total / kStageParts);
  uint64_t done = 0;
  size_t begin = 0;
  while (begin < pieces_.size()) {
    size_t end = begin;
    uint64_t stage_bytes = 0;
    while (end < pieces_.size() && stage_bytes < stage) {
      stage_bytes += pieces_[end].end - pieces_[end].begin;
      ++end;
    }
    if (!FeedStage(text, &in_use->automaton, {begin, end, done, total},
                   report)) {
      return false;
    }
    done += stage_bytes;
    begin = end;
    const size_t open_before = open.size();
    in_use->automaton.LongestMarkedPrefixes(&marked_lengths_);
    size_t kept = 0;
    for (const Open& o : open) {
      const size_t length = patterns[o.pattern].size();
      const size_t now = marked_lengths_[in_use->ends[o.node_of]];
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
    if (begin < pieces_.size() && open.size() * 4 <= built_for * 3 &&
        total - done >= kBuildWorth * open_bytes) {
      open_set_.patterns.clear();
      for (Open& o : open) {
        o.node_of = static_cast<uint32_t>(open_set_.patterns.size());
        open_set_.patterns.push_back(patterns[o.pattern]);
      }
      if (!open_set_.Build(text.reading, total - done,
                           [&] { return report(done, total); })) {
        return false;
      }
      in_use = &open_set_;
      built_for = open.size();
    }
  }
  return true;
}

}  // namespace mavoscan
