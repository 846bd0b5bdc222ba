#ifndef MAVOSCAN_IDENTIFY_EVIDENCE_H_
#define MAVOSCAN_IDENTIFY_EVIDENCE_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "xmlread/definition_loader.h"

namespace mavoscan {

// How much a match says about a file, in bits: -log2 of the chance that an
// unrelated file matches by accident. The larger, the less likely the match
// is a coincidence; a definition that refines another (more patterns or
// strings) has more bits than the one it refines.
//
// Patterns: the chance that a file holds a byte at a given offset is that
// of the checker's strength figure (PatternChanceBits: ByteChanceBits per
// byte, a run of one value counted as its first byte), so a definition's
// pattern bits are the strength figure of `mavocheck verify` exactly.
//
// Strings: a global string is compared without regard to case, so one of
// its bytes matches every byte that upper-cases to it, with the sum of
// their chances. A string of length L may lie at any of the T - L + 1
// places of the text searched (T bytes), so what it adds is its bytes' bits
// less log2 of those places, and never less than 0: a short string in a
// large file says nothing.
//
// A match with fewer than kWeakBits is marked weak: about one unrelated
// file in a million matches it.
constexpr double kWeakBits = 20;

// The sum of the chance bits of every pattern byte.
double PatternBits(const std::vector<DefinitionPattern>& patterns);

// What the string `searched` (upper-cased, as looked for) adds when it is
// found in a text of `text_length` bytes.
double StringBits(std::string_view searched, size_t text_length);

// Bits as reported, ranked and compared for ties: rounded to a tenth, so
// that two matches shown with the same figure are a tie.
double ReportedBits(double bits);

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_EVIDENCE_H_
