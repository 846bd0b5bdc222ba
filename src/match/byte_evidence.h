#ifndef MAVOSCAN_MATCH_BYTE_EVIDENCE_H_
#define MAVOSCAN_MATCH_BYTE_EVIDENCE_H_

#include <cstddef>
#include <string_view>

namespace mavoscan {

// What one byte of a pattern says about a file, for every figure of the
// checker that weighs patterns.

// A byte is informative when it is neither 00 nor FF, the values that fill
// unused, reserved and padding fields of most binary headers.
inline bool IsInformativeByte(unsigned char byte) {
  return byte != 0x00 && byte != 0xFF;
}

// -log2 of the chance that an unrelated file holds `byte` at a given
// offset: 1/2 for 00 (unused fields are everywhere), 1/8 for FF, 1/16 for
// 01 to 0F (versions, counts and flags), 1/64 for printable ASCII (headers
// are full of text), 1/256 for any other value.
inline double ByteChanceBits(unsigned char byte) {
  if (byte == 0x00) return 1;
  if (byte == 0xFF) return 3;
  if (byte <= 0x0F) return 4;
  if (byte >= 0x20 && byte < 0x7F) return 6;
  return 8;
}

// -log2 of the chance that an unrelated file holds the pattern `bytes` at
// its offset. A run of one value is one field filled or padded, not
// independent bytes: it counts as its first byte.
inline double PatternChanceBits(std::string_view bytes) {
  double bits = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && bytes[i] == bytes[i - 1]) continue;
    bits += ByteChanceBits(static_cast<unsigned char>(bytes[i]));
  }
  return bits;
}

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_BYTE_EVIDENCE_H_
