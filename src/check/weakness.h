#ifndef MAVOSCAN_CHECK_WEAKNESS_H_
#define MAVOSCAN_CHECK_WEAKNESS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "check/verify_report.h"
#include "common/json_writer.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// How much a definition's patterns say about a file.
//
// A pattern byte is informative when it is neither 00 nor FF, the values
// that fill unused, reserved and padding fields of most binary headers; a
// pattern made of one repeated value counts as one byte at most, as a run
// of one value is what padding looks like. Four informative bytes are what
// the shortest magic numbers in use hold, so a definition with fewer is
// weak however many patterns it has.
//
// The chance that an unrelated file matches is estimated from the patterns
// alone, as the product over pattern bytes of the chance that a file holds
// that byte at that offset: 1/4 for 00, 1/16 for FF, 1/64 for printable
// ASCII (headers are full of text), 1/256 for any other value. Global
// strings are left out, so with strings checked the real chance is lower
// still. The figure is a rough guide for comparing definitions; files of
// the type's neighbours (--not) give measured ones.
struct Strength {
  size_t pattern_bytes = 0;
  size_t informative_bytes = 0;
  // -log2 of the estimated chance.
  double chance_bits = 0;
};

Strength MeasureStrength(const DefinitionContent& definition);

// One thing that makes a definition weak.
struct Weakness {
  // A short fixed name for scripts ("zero-patterns", ...).
  std::string kind;
  // What is weak and why, one line without its end.
  std::string text;
  // The 1-based numbers of the patterns or strings concerned.
  std::vector<size_t> items;
};

struct WeaknessReport {
  Strength strength;
  std::vector<Weakness> warnings;
};

// The strength and weaknesses of the definition of `report`, with the
// measured false matches of its --not files.
WeaknessReport AssessWeakness(const VerifyReport& report);

// The strength line and the warnings as text, lines ending in "\n",
// beginning with an empty line.
std::string WeaknessText(const WeaknessReport& weakness);

// The same as the members "strength" and "warnings" of the object being
// written.
void WeaknessJson(const WeaknessReport& weakness, JsonWriter* json);

// "about 1 in 4096", "about 1 in 10^12" for a chance of 2^-bits.
std::string ChanceText(double bits);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_WEAKNESS_H_
