#ifndef MAVOSCAN_TUNE_PART_CHOICE_H_
#define MAVOSCAN_TUNE_PART_CHOICE_H_

// Which bytes and strings of a definition a tuned definition keeps.
//
// The choice starts from nothing and adds the definition's own parts back,
// never a byte it does not hold, so a pattern may shrink or split but never
// grow or move. Each part first gets a tier from the evidence:
// - a part that some given sample lacks cannot stay at all;
// - a byte in the same aligned four-byte field as a byte that unseen
//   samples broke in some fold is suspect: the field varies, and its other
//   bytes were constant by chance too;
// - other bytes are plain, or filler when they are 00 or FF (the values of
//   unused fields and padding);
// - strings come after every safe byte: a set of files shares thousands of
//   them by chance (glyph names, one author's copyright), and searching for
//   them costs far more than comparing bytes.
// With --not files the tiers are offered to a PartPicker in the order
// plain, filler, strings (for files no byte rejects), suspect, so that
// riskier parts are taken only for
// files that safer ones cannot reject twice. Without them nothing says
// which parts are needed, so all plain bytes stay, fillers and strings
// unless the folds saw such parts fail on unseen samples, and no suspect
// byte. Either way a floor follows: plain, then filler, then suspect bytes,
// lowest offset first, until the kept patterns hold kFloorInformativeBytes
// informative bytes and an unrelated file matches them with a chance below
// 2^-kFloorChanceBits (the strength the checker's warnings ask for), or the
// definition has no more.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tune/not_files.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

constexpr size_t kFloorInformativeBytes = 4;
constexpr double kFloorChanceBits = 20;

// Why a part was left out of the tuned definition.
enum class DropReason {
  kFailsOnSamples,  // a given sample lacks it
  kVariedUnseen,    // its field varied in unseen samples of the folds
  kFillerFailed,    // 00 or FF, and such bytes failed on unseen samples
  kStringsFailed,   // strings of the folds' definitions failed on unseen
                    // samples
  kNotNeeded,       // the --not files are rejected without it
};

// What the folds and the given samples say about the parts.
struct ChoiceEvidence {
  // Offsets that unseen samples broke, ascending.
  std::vector<size_t> broken_offsets;
  bool filler_failed = false;
  bool strings_failed = false;
  // The leading bytes of the given samples, for a definition that was not
  // built from them (empty: every part holds on them).
  std::vector<const std::string*> sample_fronts;
  // Per string of the definition: some given sample lacks it (empty: none
  // does).
  std::vector<bool> string_fails;
};

struct PartChoice {
  // Per pattern, per byte: kept, or why not.
  std::vector<std::vector<bool>> kept_bytes;
  std::vector<std::vector<DropReason>> byte_reasons;
  std::vector<bool> kept_strings;
  std::vector<DropReason> string_reasons;
  // Per --not file, how many kept parts reject it (at most kRejections).
  std::vector<uint8_t> rejected_by;
};

// Chooses the parts of `definition` to keep. `not_files` may be empty.
// Returns false with *err set when a --not file cannot be read for strings.
bool ChooseParts(const DefinitionContent& definition,
                 const ChoiceEvidence& evidence, NotFiles& not_files,
                 PartChoice* choice, std::string* err);

// The definition that keeps the chosen parts: each pattern cut into its
// runs of kept bytes, the kept strings in their order, strings checked when
// any is kept.
DefinitionContent KeptContent(const DefinitionContent& definition,
                              const PartChoice& choice);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_PART_CHOICE_H_
