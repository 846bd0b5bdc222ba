#ifndef MAVOSCAN_EXPORT_EXPORT_COMMAND_H_
#define MAVOSCAN_EXPORT_EXPORT_COMMAND_H_

#include <optional>
#include <string>

#include "common/command_table.h"
#include "export/export_definition.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// "mavocheck export DEF --format magic|yara|mime|droid [--out FILE]
// [--name NAME] [--mime-type TYPE] [--strict]": the definition in the
// format of another identifier, on standard output or written to FILE,
// with every loss on standard error (and in the JSON report).
Subcommand ExportCommand();

// Reads the definition file `path` strictly, as every mode that tests files
// does, with the descriptive fields an export shows besides (extension,
// author, creator, file count). Returns false with *err set when it cannot
// be read or is malformed.
bool ReadExportedDefinition(Platform& platform, const std::string& path,
                            DefinitionContent* definition, std::string* err);

// The export's JSON report: the definition, the format, the losses, and the
// exported text when it went to no file.
std::string ExportJson(const std::string& definition_file, ExportFormat format,
                       const std::optional<std::string>& out_file,
                       const ExportResult& result);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_EXPORT_COMMAND_H_
