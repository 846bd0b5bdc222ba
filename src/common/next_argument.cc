#include "common/next_argument.h"

namespace mavoscan {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string NextArgument(std::string* text) {
  std::string& t = *text;
  size_t begin = 0;
  while (begin < t.size() && IsSeparator(t[begin])) ++begin;
  size_t end = t.size();
  while (end > begin && IsSeparator(t[end - 1])) --end;
  t = t.substr(begin, end - begin);

  bool quoted = !t.empty() && t[0] == '"';
  if (quoted) t.erase(0, 1);
  auto is_delimiter = [quoted](char c) {
    return quoted ? c == '"' : IsSeparator(c);
  };
  // The argument runs up to and including the first delimiter (or to the
  // end); its trailing delimiters are then dropped.
  size_t p = t.size();
  for (size_t i = 0; i < t.size(); ++i) {
    if (is_delimiter(t[i])) {
      p = i + 1;
      break;
    }
  }
  std::string argument = t.substr(0, p);
  while (!argument.empty() && is_delimiter(argument.back())) {
    argument.pop_back();
  }
  t.erase(0, p);
  return argument;
}

}  // namespace mavoscan
