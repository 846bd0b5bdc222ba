#ifndef MAVOSCAN_EXPORT_DROID_EXPORT_H_
#define MAVOSCAN_EXPORT_DROID_EXPORT_H_

#include "export/export_definition.h"
#include "export/export_plan.h"

namespace mavoscan {

// How much of a file DROID scans for sequences at a variable offset unless
// told otherwise.
constexpr int64_t kDroidScanLength = 65536;
// Strings with at most this many letters have each letter written as its two
// cases; every letter doubles the choices a matcher keeps, so longer ones
// are written in upper case only.
constexpr size_t kDroidMaxFoldedLetters = 8;

// The plan as a DROID signature file: one internal signature of byte
// sequences, the patterns anchored at the beginning of the file and the
// strings at any offset, and one file format.
ExportResult ExportDroid(const DefinitionContent& definition,
                         const ExportPlan& plan, const LocalTime& now);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_DROID_EXPORT_H_
