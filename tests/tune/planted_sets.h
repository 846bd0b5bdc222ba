#ifndef MAVOSCAN_TESTS_TUNE_PLANTED_SETS_H_
#define MAVOSCAN_TESTS_TUNE_PLANTED_SETS_H_

#include <cstdint>
#include <string>

namespace mavoscan {

// Files of an invented type with causes planted in them, for the tuning
// tests. The layout of the first 64 bytes:
//   0..3 the magic "TYP1"; 4..5 the version (01 00 unless `version` says
//   otherwise); 6..11 bytes of each file's own; 12..15 zero in every file;
//   16..19 a field that is zero unless `field_varies`; 20..31 bytes of each
//   file's own; 32..39 "HEADER.."; then a body of `body_words` words drawn
//   from a vocabulary of `vocabulary` words, with `marker` in the middle.
struct PlantedFile {
  uint64_t seed = 1;
  std::string magic = "TYP1";
  std::string version = std::string("\x01\x00", 2);
  bool field_varies = false;
  int body_words = 40;
  int vocabulary = 5000;
  std::string marker = "COMMON BODY TEXT";
};

std::string MakePlantedFile(const PlantedFile& file);

}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_TUNE_PLANTED_SETS_H_
