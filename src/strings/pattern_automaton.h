#ifndef MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_
#define MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace mavoscan {

// How patterns and texts are read: from the first byte to the last, or from
// the last to the first.
enum class Reading { kForward, kBackward };

// Whether fed bytes are upper-cased before they are matched.
enum class CaseMatch { kExact, kFolded };

// A multi-pattern matcher (a trie of the patterns with failure links) that
// tells, after texts have been fed through it, which prefixes of the
// patterns occur in them. Memory is 14 bytes per trie node (the node, its
// label and its mark), so linear in the pattern bytes however long a
// pattern is, plus the transition table; a rebuild reuses the memory of the
// previous build.
class PatternAutomaton {
 public:
  using State = uint32_t;
  static constexpr State kRoot = 0;
  static constexpr size_t kSmallTable = size_t{512} << 10;

  // The shallowest nodes get a complete transition table of at most
  // `table_bytes`, where a scan spends most of its steps: it costs its size
  // to build and pays back on every byte fed. Patterns are always taken as
  // they are; `case_match` applies to fed bytes only.
  struct BuildOptions {
    Reading reading = Reading::kForward;
    CaseMatch case_match = CaseMatch::kExact;
    size_t table_bytes = kSmallTable;
  };

  PatternAutomaton();

  // Builds the trie of `patterns` (repeats allowed), each read as
  // `options.reading` says, and sets (*ends)[i] to the node of patterns[i].
  // `keep_going` is called now and then during a long build; when it
  // returns false the build stops and Build returns false.
  bool Build(const std::vector<std::string_view>& patterns,
             const BuildOptions& options, std::vector<State>* ends,
             const std::function<bool()>& keep_going);
  size_t node_count() const { return nodes_.size(); }
  // The length of the longest pattern: a state never stands for more of the
  // text than this many bytes.
  size_t depth() const { return depth_; }

  // Feeds `chunk` from `state` (bytes in order, or from the last to the
  // first), sets marks[node] for every node reached when `marks` is not
  // null, and returns the state after it. Const, so that several threads
  // may feed at once, each with marks of its own (node_count() bytes).
  State Feed(State state, std::string_view chunk, Reading reading,
             unsigned char* marks) const;
  // Feeds several chunks at once, chunk j from (*states)[j], and sets
  // (*states)[j] to the state after it; marks as Feed does. The steps of
  // the chunks are interleaved, so that the memory waits of one overlap
  // those of the others: a step mostly waits for the load before it.
  static constexpr size_t kLanes = 8;
  void FeedLanes(std::array<State, kLanes>* states,
                 const std::array<std::string_view, kLanes>& chunks,
                 Reading reading, unsigned char* marks) const;
  // The automaton's own marks.
  unsigned char* marks() { return marks_.data(); }
  bool marked(State node) const { return marks_[node] != 0; }
  void ClearMarks();
  // The number of nodes there is room for without growing, for reusing the
  // larger of two automata.
  size_t capacity() const { return nodes_.capacity(); }
  // Adds the marks of another feed.
  void MergeMarks(const std::vector<unsigned char>& marks);

  // Marks the nodes whose text occurs in `pattern` (one of the patterns of
  // a forward build) other than as the whole of it.
  void MarkInnerTexts(std::string_view pattern);

  // Completes the marks: afterwards a node is marked exactly when its text
  // occurs in what was fed. Call once after feeding.
  void SpreadMarks();

  // For every node, (*lengths)[node] is the length of the longest prefix
  // of the node's text whose nodes are all marked (once marks are complete,
  // every shorter prefix of a marked node's text is marked too).
  void LongestMarkedPrefixes(std::vector<uint32_t>* lengths) const;
  // The node whose text is `s` (read as the patterns are), or kRoot.
  State Find(std::string_view s) const;

 private:
  void Reset();
  // The steps of Build, in order.
  void SortPatterns(const std::vector<std::string_view>& patterns);
  size_t CountNodes(const std::vector<std::string_view>& patterns);
  bool NumberNodes(const std::vector<std::string_view>& patterns,
                   size_t node_count, std::vector<State>* ends,
                   const std::function<bool()>& keep_going);
  void LinkChildren();
  std::array<uint32_t, 256> ChooseSymbols();
  void SizeTable(size_t table_bytes);
  bool LinkFailures(const std::array<uint32_t, 256>& label_symbol,
                    const std::function<bool()>& keep_going);

  State Child(State node, unsigned char byte) const;
  State DeepStep(State node, unsigned char byte) const;
  template <bool kBackward, bool kMark>
  State Scan(State state, std::string_view chunk, unsigned char* marks) const;
  template <bool kBackward>
  void ScanLanes(std::array<State, kLanes>* states,
                 const std::array<std::string_view, kLanes>& chunks,
                 unsigned char* marks) const;

  // Nodes are numbered breadth first, each level in byte order, so that the
  // children of a node are consecutive nodes and labels_[c] is the byte
  // leading to node c. What a step needs of a node sits together.
  struct Node {
    State first_child;
    State fail;  // the longest proper suffix of the node's text that is one
    uint16_t child_count;
    unsigned char first_label;  // of the first child
  };
  std::vector<Node> nodes_;
  std::vector<unsigned char> labels_;
  std::vector<unsigned char> marks_;
  std::array<State, 256> root_children_{};
  size_t depth_ = 0;
  Reading reading_ = Reading::kForward;
  // Byte mapping applied to fed bytes: identity or upper-casing.
  std::array<unsigned char, 256> fold_{};
  // The complete transition function of the shallowest nodes, over the
  // bytes that occur in the patterns (symbol 0 stands for all others and
  // always leads back to the root). Rows are a power of two wide, so that
  // a step is a shift, an or and a load.
  std::array<uint32_t, 256> symbols_{};
  uint32_t row_shift_ = 0;
  State table_rows_ = 0;
  // Not a vector: growing it would clear memory that is written anyway.
  std::unique_ptr<State[]> table_;
  size_t table_capacity_ = 0;

  // Scratch of the build, kept for the next one.
  struct KeyedPattern {
    uint64_t key;
    uint32_t index;
  };
  std::vector<KeyedPattern> keyed_;
  std::vector<uint32_t> order_;
  std::vector<size_t> lcp_;
  std::vector<uint32_t> next_at_depth_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_
