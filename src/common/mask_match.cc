#include "common/mask_match.h"

#include "common/text.h"

namespace mavoscan {
namespace {

unsigned char LowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

}  // namespace

bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*") return true;
  // Only the latest "*" ever needs to swallow one more byte after a
  // mismatch, so this never backtracks further than that.
  size_t p = 0;
  size_t n = 0;
  size_t star = std::string_view::npos;
  size_t star_n = 0;
  while (n < name.size()) {
    if (p < mask.size() && mask[p] == '*') {
      star = p++;
      star_n = n;
    } else if (p < mask.size() &&
               (mask[p] == '?' ||
                LowerAscii(ByteAt(mask, p)) == LowerAscii(ByteAt(name, n)))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < mask.size() && mask[p] == '*') ++p;
  return p == mask.size();
}

}  // namespace mavoscan
