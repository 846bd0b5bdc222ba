#ifndef MAVOSCAN_STRINGS_ERASURE_H_
#define MAVOSCAN_STRINGS_ERASURE_H_

#include <string_view>
#include <vector>

#include "strings/pattern_automaton.h"
#include "strings/presence.h"

namespace mavoscan {

// The candidates left when every candidate contained in another one at
// least as long has been erased: the distinct present texts that no longer
// present text contains, each at the place of its last copy, gathered in
// candidate-list order (views into the raw strings' backing text). Returns
// false when `report` asked to stop. *automaton is built anew (its memory
// is used again).
bool EraseContained(const std::vector<std::string_view>& accepted,
                    const PresenceTracker& presence, const WorkReport& report,
                    PatternAutomaton* automaton,
                    std::vector<std::string_view>* survivors);

// Orders `strings` longest first in rounds: for gap = n / 2, n / 4, ... 1,
// the entries whose positions are equal modulo the gap are ordered longest
// first among themselves, equal lengths keeping the order they had. Strings
// of equal length may so change places in an earlier round, and that order
// is kept.
void OrderByLength(std::vector<std::string_view>* strings);

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_ERASURE_H_
