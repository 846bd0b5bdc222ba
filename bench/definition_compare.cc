#include "definition_compare.h"

#include <vector>

namespace mavoscan {
namespace {

bool IsTimeLine(std::string_view line) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  line.remove_prefix(start);
  for (std::string_view tag :
       {"<Year>", "<Month>", "<Day>", "<Hour>", "<Min>", "<Sec>"}) {
    if (line.substr(0, tag.size()) == tag) return true;
  }
  return false;
}

// The lines of `text` other than the time lines, each with its line end, so
// that a difference in line ends counts too.
std::vector<std::string_view> LinesWithoutTime(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(0, end);
    if (!IsTimeLine(line)) lines.push_back(line);
    text.remove_prefix(end);
  }
  return lines;
}

}  // namespace

bool SameDefinition(std::string_view a, std::string_view b) {
  return LinesWithoutTime(a) == LinesWithoutTime(b);
}

}  // namespace mavoscan
