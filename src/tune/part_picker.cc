#include "tune/part_picker.h"

#include <bit>

namespace mavoscan {

size_t FileBits::CountCommon(const FileBits& other) const {
  size_t count = 0;
  for (size_t w = 0; w < words_.size(); ++w) {
    count += static_cast<size_t>(std::popcount(words_[w] & other.words_[w]));
  }
  return count;
}

PartPicker::PartPicker(size_t file_count) : rejected_by_(file_count, 0) {}

std::vector<size_t> PartPicker::PickFrom(
    const std::vector<const FileBits*>& rejections, uint8_t want) {
  // The files still short of `want`.
  FileBits short_(rejected_by_.size());
  for (size_t f = 0; f < rejected_by_.size(); ++f) {
    if (rejected_by_[f] < want) short_.Set(f);
  }
  std::vector<size_t> taken;
  std::vector<bool> used(rejections.size(), false);
  for (;;) {
    size_t best = rejections.size();
    size_t best_count = 0;
    for (size_t p = 0; p < rejections.size(); ++p) {
      if (used[p]) continue;
      const size_t count = rejections[p]->CountCommon(short_);
      if (count > best_count) {
        best = p;
        best_count = count;
      }
    }
    if (best == rejections.size()) return taken;
    used[best] = true;
    taken.push_back(best);
    const std::vector<uint64_t>& words = rejections[best]->words();
    for (size_t w = 0; w < words.size(); ++w) {
      // Every file the part rejects counts, also those it was not taken
      // for; counts stop at kRejections, all that anyone asks about.
      uint64_t hit = words[w];
      while (hit != 0) {
        const size_t file = w * 64 + static_cast<size_t>(std::countr_zero(hit));
        hit &= hit - 1;
        if (rejected_by_[file] < kRejections) ++rejected_by_[file];
        if (rejected_by_[file] >= want) short_.Clear(file);
      }
    }
  }
}

std::vector<size_t> PartPicker::Short(uint8_t want) const {
  std::vector<size_t> files;
  for (size_t f = 0; f < rejected_by_.size(); ++f) {
    if (rejected_by_[f] < want) files.push_back(f);
  }
  return files;
}

}  // namespace mavoscan
