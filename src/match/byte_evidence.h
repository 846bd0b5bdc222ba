#ifndef MAVOSCAN_MATCH_BYTE_EVIDENCE_H_
#define MAVOSCAN_MATCH_BYTE_EVIDENCE_H_

namespace mavoscan {

// What one byte of a pattern says about a file, for every figure of the
// checker that weighs patterns.

// A byte is informative when it is neither 00 nor FF, the values that fill
// unused, reserved and padding fields of most binary headers.
inline bool IsInformativeByte(unsigned char byte) {
  return byte != 0x00 && byte != 0xFF;
}

// -log2 of the chance that an unrelated file holds `byte` at a given
// offset: 1/4 for 00, 1/16 for FF, 1/64 for printable ASCII (headers are
// full of text), 1/256 for any other value.
inline double ByteChanceBits(unsigned char byte) {
  if (byte == 0x00) return 2;
  if (byte == 0xFF) return 4;
  if (byte >= 0x20 && byte < 0x7F) return 6;
  return 8;
}

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_BYTE_EVIDENCE_H_
