#ifndef MAVOSCAN_EXPORT_EXPORT_DEFINITION_H_
#define MAVOSCAN_EXPORT_EXPORT_DEFINITION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// The identifiers a definition can be exported for.
enum class ExportFormat { kMagic, kYara, kMime, kDroid };

// The format's name on the command line and in reports ("magic", ...).
std::string_view ExportFormatName(ExportFormat format);
// The format named `name`; false when there is none.
bool ParseExportFormat(std::string_view name, ExportFormat* format);

struct ExportRequest {
  ExportFormat format = ExportFormat::kMagic;
  // What the consumer shows for a match (the message, rule name or
  // comment); empty takes the definition's FileType.
  std::string name;
  // The MIME type of a shared-mime-info export; empty makes
  // "application/x-" + the name.
  std::string mime_type;
  // Stamped into formats that carry a creation date.
  LocalTime now;
};

// Why a consumer checks less than the definition.
enum class LossKind {
  // The consumer does not read as far into a file as the scanner does.
  kReadWindow,
  // The consumer compares letters exactly where the definition folds them.
  kCase,
  // The consumer folds ASCII letters only, the definition also the seven
  // code page 437 letters.
  kCodePage437,
  // More strings than the consumer takes in one signature.
  kStringLimit,
};

// The kind's name in reports ("read-window", ...).
std::string_view LossKindName(LossKind kind);

// One thing the exported signature checks less than the definition.
struct ExportLoss {
  LossKind kind = LossKind::kReadWindow;
  // The global strings concerned, numbered from 1 as the definition lists
  // them; empty when the loss concerns every string.
  std::vector<size_t> strings;
  // For kReadWindow: how many leading bytes of a file the consumer checks.
  int64_t read_window = 0;
  // One sentence for people, without a line end.
  std::string text;
};

struct ExportResult {
  // The signature file's bytes, lines ending in "\n".
  std::string text;
  // What the consumer reports for a file that matches: the magic message,
  // the YARA rule name, the MIME type or the DROID format's name.
  std::string label;
  std::vector<ExportLoss> losses;
};

// Writes `definition` in the request's format. A file the definition
// matches and the exported signature does not (or the reverse) is always
// one that a loss in *result names. Returns false with *err set when the
// definition cannot be written at all (no pattern, a pattern before offset
// 0, a name or MIME type the format cannot hold).
bool ExportDefinition(const DefinitionContent& definition,
                      const ExportRequest& request, ExportResult* result,
                      std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_EXPORT_DEFINITION_H_
