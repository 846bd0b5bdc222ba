#include "identify/evidence.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/text.h"
#include "match/byte_evidence.h"

namespace mavoscan {
namespace {

// Per upper-cased byte value, the bits of a case-blind comparison with it.
std::array<double, 256> CaseBlindBits() {
  std::array<double, 256> chance{};
  for (int b = 0; b < 256; ++b) {
    const unsigned char byte = static_cast<unsigned char>(b);
    chance[UpperByte(byte)] += std::exp2(-ByteChanceBits(byte));
  }
  std::array<double, 256> bits{};
  for (int b = 0; b < 256; ++b) {
    // A value no byte upper-cases to never matches; it cannot occur in a
    // searched string, so any figure will do.
    bits[static_cast<size_t>(b)] =
        chance[static_cast<size_t>(b)] > 0
            ? -std::log2(chance[static_cast<size_t>(b)])
            : 8;
  }
  return bits;
}

}  // namespace

double PatternBits(const std::vector<DefinitionPattern>& patterns) {
  double bits = 0;
  for (const DefinitionPattern& pattern : patterns) {
    bits += PatternChanceBits(pattern.bytes);
  }
  return bits;
}

double StringBits(std::string_view searched, size_t text_length) {
  static const std::array<double, 256> kBits = CaseBlindBits();
  if (searched.empty() || searched.size() > text_length) return 0;
  double bits = 0;
  for (size_t i = 0; i < searched.size(); ++i)
    bits += kBits[ByteAt(searched, i)];
  const double places = static_cast<double>(text_length - searched.size() + 1);
  return std::max(0.0, bits - std::log2(places));
}

double ReportedBits(double bits) { return std::round(bits * 10) / 10; }

}  // namespace mavoscan
