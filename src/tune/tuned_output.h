#ifndef MAVOSCAN_TUNE_TUNED_OUTPUT_H_
#define MAVOSCAN_TUNE_TUNED_OUTPUT_H_

#include <string>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// A failure of the scanner's writer as one line of the checker's: without
// its "* Error: " lead and final "!", details in parentheses.
std::string ScannerFailureLine(const Failure& failure);

// The descriptive fields of the definition file `name` that a definition
// derived from it keeps: FileType, Ext, Rem, RefURL, User, E-Mail, Home,
// FileNum and Refine, as written there. Returns false with *err set when
// the file cannot be read as a definition.
bool ReadDefinitionInfo(Platform& platform, const std::string& name,
                        DefinitionInfo* info, std::string* err);

// Writes `content` under `info` as the scanner writes a definition (the
// same writer, a temporary file that takes the name only when complete),
// dated now. A file named `output_file` that exists is kept as the backup
// first. Returns false with *err set when it cannot be written; the output
// name then holds what it held.
bool WriteDerivedDefinition(Platform& platform, const std::string& output_file,
                            const DefinitionInfo& info,
                            const DefinitionContent& content, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_TUNED_OUTPUT_H_
