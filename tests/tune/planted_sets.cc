#include "tune/planted_sets.h"

namespace mavoscan {
namespace {

class Mix {
 public:
  // The seed is mixed first: seeds that differ by one would otherwise give
  // the same stream shifted by one draw.
  explicit Mix(uint64_t seed) : state_(seed) { state_ = Next(); }
  uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ULL;
    uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // A byte that is never 00 or FF, so that a varying field never happens
  // to look like padding in a small set.
  char Byte() { return static_cast<char>(1 + Next() % 254); }

 private:
  uint64_t state_;
};

// Word number `n` of the vocabulary: letters from its digits in base 23.
std::string Word(uint64_t n) {
  std::string word;
  do {
    word.push_back(static_cast<char>('a' + n % 23));
    n /= 23;
  } while (n > 0);
  return word + "q";
}

}  // namespace

std::string MakePlantedFile(const PlantedFile& file) {
  Mix mix(file.seed);
  std::string data = file.magic + file.version;
  for (int i = 0; i < 6; ++i) data.push_back(mix.Byte());
  data.append(4, '\0');
  for (int i = 0; i < 4; ++i) {
    data.push_back(file.field_varies ? mix.Byte() : '\0');
  }
  for (int i = 0; i < 12; ++i) data.push_back(mix.Byte());
  data += "HEADER..";
  for (int i = 0; i < 24; ++i) data.push_back(mix.Byte());
  for (int w = 0; w < file.body_words; ++w) {
    if (w == file.body_words / 2) data += file.marker + " ";
    data += Word(mix.Next() % static_cast<uint64_t>(file.vocabulary)) + " ";
  }
  return data;
}

}  // namespace mavoscan
