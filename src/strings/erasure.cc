#include "strings/erasure.h"

#include <algorithm>
#include <cstdint>

#include "strings/candidates.h"
#include "strings/pattern_automaton.h"

namespace mavoscan {
namespace {

struct Item {
  std::string_view text;
  int64_t index;  // in the candidate list; -1: a text only equal to one
};

// Every present candidate lies inside one of these texts of its raw string:
// r itself when present, else its longest present prefix and suffix, and its
// present words. So the texts that survive the erasure are among them, and
// all their copies in the list are too (a copy elsewhere would sit inside a
// longer present text of its raw string).
std::vector<Item> CollectItems(const std::vector<std::string_view>& accepted,
                               const PresenceTracker& presence) {
  std::vector<Item> items;
  // A word is appended wherever it occurs: keep the last index per word.
  std::vector<int64_t> last_word_index(presence.word_count(), -1);
  WalkCandidates(
      accepted,
      [&](size_t a, std::string_view word, int64_t index) {
        if (presence.prefix(a) == accepted[a].size()) return;  // inside r
        const int64_t id = presence.WordId(word);
        if (id >= 0 && presence.word_present(static_cast<size_t>(id))) {
          last_word_index[static_cast<size_t>(id)] = index;
        }
      },
      [&](size_t a, const RawLayout& layout) {
        const std::string_view r = accepted[a];
        const size_t prefix = presence.prefix(a);
        const size_t suffix = presence.suffix(a);
        if (prefix == r.size()) {
          items.push_back({r, layout.whole_added ? layout.first_index : -1});
          return;
        }
        if (prefix != 0) {
          items.push_back(
              {r.substr(0, prefix), PrefixIndex(r, layout, prefix)});
        }
        if (suffix != 0) {
          items.push_back(
              {r.substr(r.size() - suffix), SuffixIndex(r, layout, suffix)});
        }
      });
  for (size_t id = 0; id < last_word_index.size(); ++id) {
    if (last_word_index[id] >= 0) {
      items.push_back({presence.word(id), last_word_index[id]});
    }
  }
  return items;
}

}  // namespace

bool EraseContained(const std::vector<std::string_view>& accepted,
                    const PresenceTracker& presence, const WorkReport& report,
                    PatternAutomaton* automaton,
                    std::vector<std::string_view>* survivors) {
  survivors->clear();
  std::vector<Item> items = CollectItems(accepted, presence);
  // One entry per distinct text, carrying the index of its last copy.
  std::sort(items.begin(), items.end(), [](const Item& x, const Item& y) {
    return x.text != y.text ? x.text < y.text : x.index > y.index;
  });
  items.erase(std::unique(items.begin(), items.end(),
                          [](const Item& x, const Item& y) {
                            return x.text == y.text;
                          }),
              items.end());
  uint64_t total = 1;
  std::vector<std::string_view> texts;
  texts.reserve(items.size());
  for (const Item& item : items) {
    texts.push_back(item.text);
    total += 2 * item.text.size();
  }
  uint64_t done = 0;
  std::vector<PatternAutomaton::State> nodes;
  if (!automaton->Build(
          texts,
          {.reading = Reading::kForward, .case_match = CaseMatch::kExact},
          &nodes, [&] { return report(done, total); })) {
    return false;
  }
  done = total / 2;
  // A text is contained in a longer one exactly when it occurs inside some
  // other distinct text.
  uint64_t since_report = 0;
  for (std::string_view text : texts) {
    automaton->MarkInnerTexts(text);
    done += text.size();
    since_report += text.size();
    if (since_report >= (uint64_t{1} << 20)) {
      since_report = 0;
      if (!report(done, total)) return false;
    }
  }
  automaton->SpreadMarks();
  std::vector<Item> kept;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!automaton->marked(nodes[i])) kept.push_back(items[i]);
  }
  std::sort(kept.begin(), kept.end(),
            [](const Item& x, const Item& y) { return x.index < y.index; });
  for (const Item& item : kept) survivors->push_back(item.text);
  return true;
}

void OrderByLength(std::vector<std::string_view>* strings) {
  // The procedure bubbles each residue class modulo the gap with swaps of
  // strictly shorter entries only, sweeping until a sweep swaps nothing: so
  // each gap leaves every class sorted longest first with equal lengths in
  // their previous order, which a stable sort per class gives directly
  // (without the procedure's quadratic worst case).
  std::vector<std::string_view>& s = *strings;
  const size_t n = s.size();
  std::vector<std::string_view> cls;
  for (size_t gap = n / 2; gap > 0; gap /= 2) {
    for (size_t first = 0; first < gap; ++first) {
      cls.clear();
      for (size_t k = first; k < n; k += gap) cls.push_back(s[k]);
      std::stable_sort(cls.begin(), cls.end(),
                       [](std::string_view x, std::string_view y) {
                         return x.size() > y.size();
                       });
      size_t i = 0;
      for (size_t k = first; k < n; k += gap) s[k] = cls[i++];
    }
  }
}

}  // namespace mavoscan
