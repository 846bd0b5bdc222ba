#include "strings/pattern_automaton.h"

#include <algorithm>
#include <bit>
#include <cstddef>

#include "common/text.h"

namespace mavoscan {
namespace {

// How many nodes a build handles between two calls of `keep_going`.
constexpr size_t kBuildPollEvery = size_t{1} << 20;

// Byte i of a pattern as the trie reads it: from its start, or from its
// end when the patterns are read backward.
unsigned char At(std::string_view s, size_t i, Reading reading) {
  return static_cast<unsigned char>(
      reading == Reading::kBackward ? s[s.size() - 1 - i] : s[i]);
}

size_t CommonPrefix(std::string_view a, std::string_view b, Reading reading) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && At(a, i, reading) == At(b, i, reading)) ++i;
  return i;
}

// The first 8 bytes as read, big-endian, zero-padded: comparing keys
// orders most patterns without looking further.
uint64_t SortKey(std::string_view s, Reading reading) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i) {
    key = key << 8 | (i < s.size() ? At(s, i, reading) : 0);
  }
  return key;
}

bool ReadLess(std::string_view a, std::string_view b, Reading reading) {
  if (reading == Reading::kForward) return a < b;
  const size_t common = CommonPrefix(a, b, reading);
  if (common == std::min(a.size(), b.size())) return a.size() < b.size();
  return At(a, common, reading) < At(b, common, reading);
}

}  // namespace

PatternAutomaton::PatternAutomaton() { Reset(); }

void PatternAutomaton::Reset() {
  nodes_.assign(1, Node{1, kRoot, 0, 0});
  labels_.assign(1, 0);
  marks_.assign(1, 0);
  root_children_.fill(kRoot);
  depth_ = 0;
  reading_ = Reading::kForward;
  for (int b = 0; b < 256; ++b) fold_[b] = static_cast<unsigned char>(b);
  symbols_.fill(0);
  row_shift_ = 0;
  if (table_capacity_ == 0) {
    table_ = std::make_unique<State[]>(1);
    table_capacity_ = 1;
  }
  table_[0] = kRoot;
  table_rows_ = 1;
}

bool PatternAutomaton::Build(const std::vector<std::string_view>& patterns,
                             const BuildOptions& options,
                             std::vector<State>* ends,
                             const std::function<bool()>& keep_going) {
  Reset();
  reading_ = options.reading;
  if (options.case_match == CaseMatch::kFolded) {
    for (int b = 0; b < 256; ++b) {
      fold_[b] = UpperByte(static_cast<unsigned char>(b));
    }
  }
  ends->assign(patterns.size(), kRoot);
  SortPatterns(patterns);
  const size_t node_count = CountNodes(patterns);
  if (!NumberNodes(patterns, node_count, ends, keep_going)) return false;
  LinkChildren();
  const std::array<uint32_t, 256> label_symbol = ChooseSymbols();
  SizeTable(options.table_bytes);
  if (!LinkFailures(label_symbol, keep_going)) return false;
  marks_.assign(node_count, 0);
  return true;
}

// order_: the numbers of the non-empty patterns, sorted as the trie reads
// them.
void PatternAutomaton::SortPatterns(
    const std::vector<std::string_view>& patterns) {
  keyed_.clear();
  for (uint32_t i = 0; i < patterns.size(); ++i) {
    if (!patterns[i].empty()) {
      keyed_.push_back({SortKey(patterns[i], reading_), i});
    }
  }
  std::sort(keyed_.begin(), keyed_.end(),
            [&](const KeyedPattern& a, const KeyedPattern& b) {
              if (a.key != b.key) return a.key < b.key;
              return ReadLess(patterns[a.index], patterns[b.index], reading_);
            });
  order_.clear();
  for (const KeyedPattern& k : keyed_) order_.push_back(k.index);
}

// In sorted order, a pattern adds the nodes for depths lcp + 1 to its
// length, where lcp is its common prefix with the pattern before it (an
// equal pattern adds none). Sets lcp_ and depth_; returns the node count.
size_t PatternAutomaton::CountNodes(
    const std::vector<std::string_view>& patterns) {
  lcp_.assign(order_.size(), 0);
  size_t node_count = 1;
  for (size_t i = 0; i < order_.size(); ++i) {
    const std::string_view text = patterns[order_[i]];
    if (i > 0) {
      lcp_[i] = CommonPrefix(patterns[order_[i - 1]], text, reading_);
    }
    depth_ = std::max(depth_, text.size());
    node_count += text.size() - lcp_[i];
  }
  return node_count;
}

// Numbers the nodes breadth first and gives each its label and its number
// of children.
bool PatternAutomaton::NumberNodes(
    const std::vector<std::string_view>& patterns, size_t node_count,
    std::vector<State>* ends, const std::function<bool()>& keep_going) {
  // First node number of each depth, then numbers handed out in sorted
  // order, which keeps each level in byte order.
  next_at_depth_.assign(depth_ + 2, 0);
  for (size_t i = 0; i < order_.size(); ++i) {
    ++next_at_depth_[lcp_[i] + 1];
    --next_at_depth_[patterns[order_[i]].size() + 1];
  }
  uint32_t running = 0;
  uint32_t first = 1;
  for (size_t d = 1; d <= depth_; ++d) {
    running += next_at_depth_[d];
    next_at_depth_[d] = first;
    first += running;
  }
  // Numbers at each depth are handed out in increasing order, so the last
  // node made at depth d is next_at_depth_[d] - 1: the parent of the next
  // node made at depth d + 1. The root stands at depth 0.
  next_at_depth_[0] = 1;
  labels_.assign(node_count, 0);
  nodes_.assign(node_count, Node{0, kRoot, 0, 0});
  size_t done = 0;
  for (size_t i = 0; i < order_.size(); ++i) {
    const std::string_view text = patterns[order_[i]];
    for (size_t d = lcp_[i] + 1; d <= text.size(); ++d) {
      const uint32_t id = next_at_depth_[d]++;
      labels_[id] = At(text, d - 1, reading_);
      ++nodes_[next_at_depth_[d - 1] - 1].child_count;
    }
    (*ends)[order_[i]] = next_at_depth_[text.size()] - 1;
    done += text.size() - lcp_[i];
    if (done >= kBuildPollEvery) {
      done = 0;
      if (!keep_going()) return false;
    }
  }
  return true;
}

// A node's children follow those of the nodes numbered before it.
void PatternAutomaton::LinkChildren() {
  State next_child = 1;
  for (Node& node : nodes_) {
    node.first_child = next_child;
    if (node.child_count > 0) node.first_label = labels_[next_child];
    next_child += node.child_count;
  }
  for (State c = 1; c <= nodes_[0].child_count; ++c) {
    root_children_[labels_[c]] = c;
  }
}

// The table's symbol of each label byte, numbered from 1 in node order (0
// for bytes no pattern holds). Sets the symbol of each fed byte and the
// width of a table row, the next power of two.
std::array<uint32_t, 256> PatternAutomaton::ChooseSymbols() {
  std::array<uint32_t, 256> label_symbol{};
  uint32_t symbol_count = 1;
  for (size_t c = 1; c < nodes_.size(); ++c) {
    if (label_symbol[labels_[c]] == 0)
      label_symbol[labels_[c]] = symbol_count++;
  }
  for (int b = 0; b < 256; ++b) symbols_[b] = label_symbol[fold_[b]];
  while ((uint32_t{1} << row_shift_) < symbol_count) ++row_shift_;
  return label_symbol;
}

// Rows for as many of the shallowest nodes as fit in `table_bytes`.
void PatternAutomaton::SizeTable(size_t table_bytes) {
  const size_t width = size_t{1} << row_shift_;
  table_rows_ = static_cast<State>(
      std::min(nodes_.size(),
               std::max<size_t>(1, table_bytes / (sizeof(State) * width))));
  // Every row is written by LinkFailures (the root's first): no need to
  // clear them. Room grows in powers of two, as fresh memory is slow to map
  // and builds of about the same size follow one another.
  if (size_t{table_rows_} * width > table_capacity_) {
    table_capacity_ = std::bit_ceil(size_t{table_rows_} * width);
    table_.reset(new State[table_capacity_]);
  }
  std::fill(table_.get(), table_.get() + width, kRoot);
}

// Level by level: a node's failure link is the longest proper suffix of its
// text that is also a node, found by stepping its parent's link with the
// node's byte; a table row is its link's row plus its own children. Both
// only need lower-numbered nodes.
bool PatternAutomaton::LinkFailures(
    const std::array<uint32_t, 256>& label_symbol,
    const std::function<bool()>& keep_going) {
  const size_t node_count = nodes_.size();
  const size_t width = size_t{1} << row_shift_;
  auto step = [&](State f, unsigned char label) {
    while (f >= table_rows_) {
      const State target = Child(f, label);
      if (target != kRoot) return target;
      f = nodes_[f].fail;
    }
    return table_[(size_t{f} << row_shift_) | label_symbol[label]];
  };
  for (size_t v = 0; v < node_count; ++v) {
    if (v < table_rows_) {
      State* row = &table_[v * width];
      if (v != 0) {
        const State* fail_row = &table_[size_t{nodes_[v].fail} * width];
        std::copy(fail_row, fail_row + width, row);
      }
      for (State c = nodes_[v].first_child;
           c < nodes_[v].first_child + nodes_[v].child_count; ++c) {
        row[label_symbol[labels_[c]]] = c;
      }
    }
    const State fail = nodes_[v].fail;
    for (State c = nodes_[v].first_child;
         c < nodes_[v].first_child + nodes_[v].child_count; ++c) {
      nodes_[c].fail = v == 0 ? kRoot : step(fail, labels_[c]);
    }
    if (v % kBuildPollEvery == 0 && v != 0 && !keep_going()) return false;
  }
  return true;
}

void PatternAutomaton::ClearMarks() {
  std::fill(marks_.begin(), marks_.end(), 0);
}

PatternAutomaton::State PatternAutomaton::Child(State node,
                                                unsigned char byte) const {
  if (node == kRoot) return root_children_[byte];
  const Node& n = nodes_[node];
  if (n.child_count <= 1) {
    return n.child_count == 1 && n.first_label == byte ? n.first_child : kRoot;
  }
  const State begin = n.first_child;
  const State end = begin + n.child_count;
  if (end - begin <= 8) {
    for (uint32_t c = begin; c < end; ++c) {
      if (labels_[c] == byte) return c;
    }
    return kRoot;
  }
  auto it =
      std::lower_bound(labels_.begin() + begin, labels_.begin() + end, byte);
  if (it != labels_.begin() + end && *it == byte) {
    return static_cast<State>(it - labels_.begin());
  }
  return kRoot;
}

template <bool kBackward, bool kMark>
PatternAutomaton::State PatternAutomaton::Scan(State v, std::string_view chunk,
                                               unsigned char* marks) const {
  const unsigned char* bytes =
      reinterpret_cast<const unsigned char*>(chunk.data());
  const size_t n = chunk.size();
  const State* table = table_.get();
  const uint32_t shift = row_shift_;
  const State rows = table_rows_;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char byte = bytes[kBackward ? n - 1 - i : i];
    v = v < rows ? table[(v << shift) | symbols_[byte]] : DeepStep(v, byte);
    if (kMark) marks[v] = 1;
  }
  return v;
}

template <bool kBackward>
void PatternAutomaton::ScanLanes(
    std::array<State, kLanes>* states,
    const std::array<std::string_view, kLanes>& chunks,
    unsigned char* marks) const {
  size_t common = chunks[0].size();
  for (std::string_view chunk : chunks) common = std::min(common, chunk.size());
  std::array<const unsigned char*, kLanes> at;
  for (size_t j = 0; j < kLanes; ++j) {
    const unsigned char* bytes =
        reinterpret_cast<const unsigned char*>(chunks[j].data());
    at[j] = kBackward ? bytes + chunks[j].size() - 1 : bytes;
  }
  const State* table = table_.get();
  const uint32_t shift = row_shift_;
  const State rows = table_rows_;
  std::array<State, kLanes> v = *states;
  auto step = [&](State s, unsigned char byte) {
    return s < rows ? table[(s << shift) | symbols_[byte]] : DeepStep(s, byte);
  };
  for (size_t i = 0; i < common; ++i) {
    const std::ptrdiff_t k = kBackward ? -static_cast<std::ptrdiff_t>(i)
                                       : static_cast<std::ptrdiff_t>(i);
    for (size_t j = 0; j < kLanes; ++j) v[j] = step(v[j], at[j][k]);
    for (size_t j = 0; j < kLanes; ++j) marks[v[j]] = 1;
  }
  for (size_t j = 0; j < kLanes; ++j) {
    const std::string_view rest =
        kBackward ? chunks[j].substr(0, chunks[j].size() - common)
                  : chunks[j].substr(common);
    (*states)[j] = Scan<kBackward, true>(v[j], rest, marks);
  }
}

PatternAutomaton::State PatternAutomaton::DeepStep(State v,
                                                   unsigned char byte) const {
  // Deep nodes have no table row: follow failure links up to one that has
  // (a link always leads to a shallower node, so to a lower number). Most
  // deep nodes have one child, whose byte the node holds itself.
  const unsigned char folded = fold_[byte];
  do {
    const Node& node = nodes_[v];
    if (node.child_count == 1) {
      if (node.first_label == folded) return node.first_child;
    } else if (node.child_count > 1) {
      const State target = Child(v, folded);
      if (target != kRoot) return target;
    }
    v = node.fail;
  } while (v >= table_rows_);
  return table_[(size_t{v} << row_shift_) | symbols_[byte]];
}

PatternAutomaton::State PatternAutomaton::Feed(State state,
                                               std::string_view chunk,
                                               Reading reading,
                                               unsigned char* marks) const {
  if (reading == Reading::kBackward) {
    return marks != nullptr ? Scan<true, true>(state, chunk, marks)
                            : Scan<true, false>(state, chunk, marks);
  }
  return marks != nullptr ? Scan<false, true>(state, chunk, marks)
                          : Scan<false, false>(state, chunk, marks);
}

void PatternAutomaton::FeedLanes(
    std::array<State, kLanes>* states,
    const std::array<std::string_view, kLanes>& chunks, Reading reading,
    unsigned char* marks) const {
  if (reading == Reading::kBackward) {
    ScanLanes<true>(states, chunks, marks);
  } else {
    ScanLanes<false>(states, chunks, marks);
  }
}

void PatternAutomaton::MergeMarks(const std::vector<unsigned char>& marks) {
  const size_t n = std::min(marks.size(), marks_.size());
  for (size_t v = 0; v < n; ++v) marks_[v] |= marks[v];
}

void PatternAutomaton::MarkInnerTexts(std::string_view pattern) {
  if (pattern.empty() || reading_ == Reading::kBackward) return;
  State v = Feed(kRoot, pattern.substr(0, pattern.size() - 1),
                 Reading::kForward, marks_.data());
  // At the last byte the state is the pattern's own node; only its proper
  // suffixes occur inside it there.
  v = Feed(v, pattern.substr(pattern.size() - 1), Reading::kForward, nullptr);
  marks_[nodes_[v].fail] = 1;
}

void PatternAutomaton::SpreadMarks() {
  // Deeper nodes have higher numbers and their links point to shallower
  // ones, so one sweep from the end passes each mark down the whole chain.
  for (size_t v = marks_.size(); v-- > 1;) {
    if (marks_[v]) marks_[nodes_[v].fail] = 1;
  }
}

void PatternAutomaton::LongestMarkedPrefixes(
    std::vector<uint32_t>* lengths) const {
  // The top bit says that the node and all nodes above it are marked; a
  // parent comes before its children in node order.
  constexpr uint32_t kWhole = uint32_t{1} << 31;
  lengths->resize(nodes_.size());
  uint32_t* out = lengths->data();
  out[kRoot] = kWhole;
  for (State v = 0; v < nodes_.size(); ++v) {
    const uint32_t parent = out[v];
    const uint32_t child =
        parent & kWhole ? parent + 1 : parent;  // when the child is marked
    const State end = nodes_[v].first_child + nodes_[v].child_count;
    for (State c = nodes_[v].first_child; c < end; ++c) {
      out[c] = marks_[c] ? child : parent & ~kWhole;
    }
  }
  for (uint32_t& length : *lengths) length &= ~kWhole;
}

PatternAutomaton::State PatternAutomaton::Find(std::string_view s) const {
  State v = kRoot;
  for (size_t i = 0; i < s.size() && (i == 0 || v != kRoot); ++i) {
    v = Child(v, At(s, i, reading_));
  }
  return v;
}

}  // namespace mavoscan
