#include "export/export_definition.h"

#include <array>
#include <utility>

#include "export/droid_export.h"
#include "export/export_plan.h"
#include "export/magic_export.h"
#include "export/mime_export.h"
#include "export/yara_export.h"

namespace mavoscan {
namespace {

constexpr std::array<std::pair<ExportFormat, std::string_view>, 4> kFormats = {
    {{ExportFormat::kMagic, "magic"},
     {ExportFormat::kYara, "yara"},
     {ExportFormat::kMime, "mime"},
     {ExportFormat::kDroid, "droid"}}};

}  // namespace

std::string_view ExportFormatName(ExportFormat format) {
  for (const auto& [value, name] : kFormats) {
    if (value == format) return name;
  }
  return "";
}

bool ParseExportFormat(std::string_view name, ExportFormat* format) {
  for (const auto& [value, known] : kFormats) {
    if (known == name) {
      *format = value;
      return true;
    }
  }
  return false;
}

std::string_view LossKindName(LossKind kind) {
  switch (kind) {
    case LossKind::kReadWindow:
      return "read-window";
    case LossKind::kCase:
      return "case";
    case LossKind::kCodePage437:
      return "code-page-437";
    case LossKind::kStringLimit:
      return "string-limit";
  }
  return "";
}

bool ExportDefinition(const DefinitionContent& definition,
                      const ExportRequest& request, ExportResult* result,
                      std::string* err) {
  *result = ExportResult();
  ExportPlan plan;
  if (!PlanExport(definition, request, &plan, err)) return false;
  switch (request.format) {
    case ExportFormat::kMagic:
      *result = ExportMagic(definition, plan);
      return true;
    case ExportFormat::kYara:
      return ExportYara(definition, plan, !request.name.empty(), result, err);
    case ExportFormat::kMime:
      return ExportMime(definition, plan, request.mime_type, result, err);
    case ExportFormat::kDroid:
      *result = ExportDroid(definition, plan, request.now);
      return true;
  }
  return false;
}

}  // namespace mavoscan
