#ifndef MAVOSCAN_EXPORT_MAGIC_EXPORT_H_
#define MAVOSCAN_EXPORT_MAGIC_EXPORT_H_

#include "export/export_definition.h"
#include "export/export_plan.h"

namespace mavoscan {

// How far `file` reads into a file unless told otherwise (-P bytes=).
constexpr int64_t kMagicReadLength = 7340032;
// A string or search value holds at most this many bytes.
constexpr size_t kMagicValueLength = 127;

// The plan as a magic(5) entry: one chain of tests, each tried only when
// the one before matched, with the message on the last.
ExportResult ExportMagic(const DefinitionContent& definition,
                         const ExportPlan& plan);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_MAGIC_EXPORT_H_
