#include "strings/pattern_automaton.h"

#include <algorithm>

namespace mavoscan {
namespace {

// How many nodes a build handles between two calls of `keep_going`.
constexpr size_t kBuildPollEvery = size_t{1} << 20;

size_t CommonPrefix(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

void PatternAutomaton::Clear() {
  first_child_.assign(2, 1);
  labels_.assign(1, 0);
  fail_.assign(1, 0);
  marks_.assign(1, 0);
  root_children_.fill(0);
  state_ = 0;
}

bool PatternAutomaton::Build(std::vector<std::string_view> patterns,
                             const std::function<bool()>& keep_going) {
  Clear();
  std::sort(patterns.begin(), patterns.end());
  patterns.erase(std::unique(patterns.begin(), patterns.end()), patterns.end());
  if (!patterns.empty() && patterns.front().empty()) {
    patterns.erase(patterns.begin());
  }
  if (patterns.empty()) return true;

  // In sorted order, pattern i adds the nodes for depths lcp + 1 to its
  // length, where lcp is its common prefix with pattern i - 1.
  std::vector<size_t> lcp(patterns.size(), 0);
  size_t max_length = 0;
  size_t node_count = 1;
  for (size_t i = 0; i < patterns.size(); ++i) {
    if (i > 0) lcp[i] = CommonPrefix(patterns[i - 1], patterns[i]);
    max_length = std::max(max_length, patterns[i].size());
    node_count += patterns[i].size() - lcp[i];
  }
  // First node number of each depth, then numbers handed out in sorted
  // order, which keeps each level in byte order.
  std::vector<uint32_t> next_at_depth(max_length + 2, 0);
  for (size_t i = 0; i < patterns.size(); ++i) {
    ++next_at_depth[lcp[i] + 1];
    --next_at_depth[patterns[i].size() + 1];
  }
  uint32_t running = 0;
  uint32_t first = 1;
  for (size_t d = 1; d <= max_length; ++d) {
    running += next_at_depth[d];
    next_at_depth[d] = first;
    first += running;
  }
  std::vector<uint32_t> last_at_depth(max_length + 1, 0);
  labels_.assign(node_count, 0);
  std::vector<uint32_t> child_counts(node_count, 0);
  size_t done = 0;
  for (size_t i = 0; i < patterns.size(); ++i) {
    const std::string_view p = patterns[i];
    for (size_t d = lcp[i] + 1; d <= p.size(); ++d) {
      const uint32_t id = next_at_depth[d]++;
      labels_[id] = static_cast<unsigned char>(p[d - 1]);
      ++child_counts[last_at_depth[d - 1]];
      last_at_depth[d] = id;
    }
    done += p.size() - lcp[i];
    if (done >= kBuildPollEvery) {
      done = 0;
      if (!keep_going()) {
        Clear();
        return false;
      }
    }
  }
  std::vector<uint32_t>().swap(next_at_depth);
  std::vector<uint32_t>().swap(last_at_depth);
  std::vector<size_t>().swap(lcp);

  first_child_.assign(node_count + 1, 0);
  first_child_[0] = 1;
  for (size_t v = 0; v < node_count; ++v) {
    first_child_[v + 1] = first_child_[v] + child_counts[v];
  }
  std::vector<uint32_t>().swap(child_counts);
  for (uint32_t c = first_child_[0]; c < first_child_[1]; ++c) {
    root_children_[labels_[c]] = c;
  }

  // Failure links level by level: a node's link is the longest proper
  // suffix of its text that is also a node.
  fail_.assign(node_count, 0);
  for (size_t v = 1; v < node_count; ++v) {
    for (uint32_t c = first_child_[v]; c < first_child_[v + 1]; ++c) {
      const unsigned char byte = labels_[c];
      uint32_t f = fail_[v];
      uint32_t target;
      while ((target = Child(f, byte)) == 0 && f != 0) f = fail_[f];
      fail_[c] = target;
    }
    if (v % kBuildPollEvery == 0 && !keep_going()) {
      Clear();
      return false;
    }
  }
  marks_.assign(node_count, 0);
  return true;
}

uint32_t PatternAutomaton::Child(uint32_t node, unsigned char byte) const {
  if (node == 0) return root_children_[byte];
  uint32_t begin = first_child_[node];
  uint32_t end = first_child_[node + 1];
  if (end - begin <= 8) {
    for (uint32_t c = begin; c < end; ++c) {
      if (labels_[c] == byte) return c;
    }
    return 0;
  }
  auto it =
      std::lower_bound(labels_.begin() + begin, labels_.begin() + end, byte);
  if (it != labels_.begin() + end && *it == byte) {
    return static_cast<uint32_t>(it - labels_.begin());
  }
  return 0;
}

uint32_t PatternAutomaton::Step(uint32_t node, unsigned char byte) const {
  while (true) {
    uint32_t target = Child(node, byte);
    if (target != 0 || node == 0) return target;
    node = fail_[node];
  }
}

void PatternAutomaton::Feed(std::string_view chunk) {
  uint32_t v = state_;
  for (char c : chunk) {
    v = Step(v, static_cast<unsigned char>(c));
    marks_[v] = 1;
  }
  state_ = v;
}

void PatternAutomaton::FeedBackward(std::string_view chunk) {
  uint32_t v = state_;
  for (size_t i = chunk.size(); i > 0; --i) {
    v = Step(v, static_cast<unsigned char>(chunk[i - 1]));
    marks_[v] = 1;
  }
  state_ = v;
}

void PatternAutomaton::MarkInnerTexts(std::string_view pattern) {
  if (pattern.empty()) return;
  uint32_t v = 0;
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    v = Step(v, static_cast<unsigned char>(pattern[i]));
    marks_[v] = 1;
  }
  // At the last byte the state is the pattern's own node; only its proper
  // suffixes occur inside it there.
  v = Step(v, static_cast<unsigned char>(pattern.back()));
  marks_[fail_[v]] = 1;
}

void PatternAutomaton::SpreadMarks() {
  // Deeper nodes have higher numbers and their links point to shallower
  // ones, so one sweep from the end passes each mark down the whole chain.
  for (size_t v = marks_.size(); v-- > 1;) {
    if (marks_[v]) marks_[fail_[v]] = 1;
  }
}

void PatternAutomaton::ClearMarks() {
  std::fill(marks_.begin(), marks_.end(), 0);
}

size_t PatternAutomaton::LongestMarkedPrefix(std::string_view s) const {
  uint32_t v = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    v = Child(v, static_cast<unsigned char>(s[i]));
    if (v == 0 || !marks_[v]) return i;
  }
  return s.size();
}

}  // namespace mavoscan
