#ifndef MAVOSCAN_DRIVER_REFINEMENT_H_
#define MAVOSCAN_DRIVER_REFINEMENT_H_

#include <cstdint>
#include <string>

#include "common/failure.h"
#include "common/records.h"
#include "frontblock/sample_collection.h"
#include "platform/platform.h"

namespace mavoscan {

// Everything a refining run takes from its base definition, and what it
// gives back to the definition it writes.

// Loads the base definition named on the command line: refuses the backup
// file itself, checks that the file exists (naming the files that may hold
// its text when it does not), prints "Refining definition
// <...>" and loads it. *mode comes in as the command line left it and goes
// out as the run uses it: inherited strings become none when the base
// checks none. Returns false with *failure set.
bool LoadBase(Platform& platform, const std::string& definition_file,
              StringMode* mode, BaseDefinition* base, Failure* failure);

// The limits the base sets on the scan: patterns only where its patterns
// lie, no further than the end of its last one, and its bytes there as the
// block every sample is compared with.
void LimitScan(const BaseDefinition& base, PositionLimit* positions,
               SampleCollection* collection);

// The file count of the definition written: the base definition's count
// (0 for a new one) plus this run's samples, kept within 32 bits so that a
// hand-edited count near the limit cannot wrap to a negative one.
int32_t RefinedFileCount(int32_t base_count, int64_t sample_count);

// Carries the base definition's descriptive fields over into *info and
// appends this run's credit ("<sample_count> by <info->user>") to its
// refinement history. Call after ApplyAuthorSettings.
void ApplyRefinement(const BaseDefinition& base, int sample_count,
                     DefinitionInfo* info);

}  // namespace mavoscan

#endif  // MAVOSCAN_DRIVER_REFINEMENT_H_
