#ifndef MAVOSCAN_EXPORT_MIME_EXPORT_H_
#define MAVOSCAN_EXPORT_MIME_EXPORT_H_

#include <string>

#include "export/export_definition.h"
#include "export/export_plan.h"

namespace mavoscan {

// How much of a file GLib's content type detection reads for the MIME
// database's magic.
constexpr int64_t kMimeSniffLength = 4096;

// The plan as a shared-mime-info package: one MIME type whose magic is a
// chain of nested matches. Returns false with *err set when `mime_type` is
// given and is not a type/subtype pair.
bool ExportMime(const DefinitionContent& definition, const ExportPlan& plan,
                const std::string& mime_type, ExportResult* result,
                std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_MIME_EXPORT_H_
