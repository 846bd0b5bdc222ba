#ifndef MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_
#define MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace mavoscan {

// A multi-pattern matcher (a trie of the patterns with failure links) that
// tells, after a text has been fed through it, which prefixes of the
// patterns occur in the text. Memory is about 10 bytes per trie node, so
// linear in the pattern bytes however long a pattern is.
class PatternAutomaton {
 public:
  PatternAutomaton() { Clear(); }

  // Builds the trie of the distinct texts among `patterns`. `keep_going` is
  // called now and then during a long build; when it returns false the build
  // stops, the automaton is left empty and Build returns false.
  bool Build(std::vector<std::string_view> patterns,
             const std::function<bool()>& keep_going);
  void Clear();
  bool empty() const { return fail_.size() <= 1; }
  size_t node_count() const { return fail_.size(); }

  // Feeding a text: StartText, then its bytes in order through Feed, or from
  // the last to the first through FeedBackward (the patterns then being
  // reversed texts). Every node whose text ends at some byte gets a mark.
  void StartText() { state_ = 0; }
  void Feed(std::string_view chunk);
  void FeedBackward(std::string_view chunk);

  // Marks the nodes whose text occurs in `pattern` (one of the patterns)
  // other than as the whole of it.
  void MarkInnerTexts(std::string_view pattern);

  // Completes the marks: afterwards a node is marked exactly when its text
  // occurs in what was fed. Call once after feeding.
  void SpreadMarks();
  void ClearMarks();

  // The length of the longest prefix of `s` that is a marked node's text
  // (every shorter prefix of it is then marked too).
  size_t LongestMarkedPrefix(std::string_view s) const;

 private:
  uint32_t Child(uint32_t node, unsigned char byte) const;
  uint32_t Step(uint32_t node, unsigned char byte) const;

  // Nodes are numbered breadth first, each level in byte order, so that the
  // children of a node are the consecutive nodes [first_child_[v],
  // first_child_[v + 1]) and labels_[c] is the byte leading to node c.
  std::vector<uint32_t> first_child_;
  std::vector<unsigned char> labels_;
  std::vector<uint32_t> fail_;
  std::vector<unsigned char> marks_;
  std::array<uint32_t, 256> root_children_{};
  uint32_t state_ = 0;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_PATTERN_AUTOMATON_H_
