#ifndef MAVOSCAN_TUNE_PART_PICKER_H_
#define MAVOSCAN_TUNE_PART_PICKER_H_

// Chooses the parts of a definition that reject the files it must not
// match.
//
// Every --not file has a row of bits, one per file, in each candidate part:
// set when the part rejects the file (a byte the file does not hold at its
// offset, a string its text lacks). A file counts as rejected for good once
// kRejections chosen parts reject it: with one part, files of the same
// foreign types that were not given slip through where that one byte
// happens to agree, while a second part costs almost no recall.
//
// The picker is a greedy set cover with that multiplicity. Parts come in
// tiers, safest first; a tier is offered whole, and within it the part
// that rejects the most files still short of kRejections is taken each
// time, the first in the tier's order on a tie, until no part of the tier
// rejects such a file. Only then is the next, riskier tier offered. A tier
// may ask for fewer rejections: strings are taken only for files that no
// byte rejects, one string each, as a set shares many strings by chance. The
// greedy choice is not the smallest cover, but it is within a logarithmic
// factor of it and takes milliseconds on thousands of files.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mavoscan {

// How many chosen parts must reject each --not file.
constexpr uint8_t kRejections = 2;

// One bit per --not file.
class FileBits {
 public:
  FileBits() = default;
  explicit FileBits(size_t count) : words_((count + 63) / 64, 0) {}

  void Set(size_t file) { words_[file / 64] |= uint64_t{1} << (file % 64); }
  void Clear(size_t file) {
    words_[file / 64] &= ~(uint64_t{1} << (file % 64));
  }
  bool Test(size_t file) const {
    return (words_[file / 64] >> (file % 64)) & 1;
  }
  // The number of files set both here and in `other`.
  size_t CountCommon(const FileBits& other) const;
  const std::vector<uint64_t>& words() const { return words_; }

 private:
  std::vector<uint64_t> words_;
};

class PartPicker {
 public:
  explicit PartPicker(size_t file_count);

  // Offers one tier: `rejections[i]` holds the files part i rejects. Parts
  // are taken for the files that fewer than `want` (1 to kRejections)
  // chosen parts reject. Returns the indexes of the parts taken, in the
  // order taken.
  std::vector<size_t> PickFrom(const std::vector<const FileBits*>& rejections,
                               uint8_t want = kRejections);

  // The files that fewer than `want` chosen parts reject, ascending.
  std::vector<size_t> Short(uint8_t want = kRejections) const;
  // How many chosen parts reject file `file`, at most kRejections.
  uint8_t RejectedBy(size_t file) const { return rejected_by_[file]; }
  size_t file_count() const { return rejected_by_.size(); }

 private:
  std::vector<uint8_t> rejected_by_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_PART_PICKER_H_
