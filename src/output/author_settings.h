#ifndef MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_
#define MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_

#include "common/records.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

constexpr char kSettingsFile[] = "mavoscan.cfg.xml";

// Replaces the author fields of *info by the USER, E-MAIL and HOME of the
// settings file, when it exists and names them.
void ApplyAuthorSettings(Platform& platform, DefinitionInfo* info);

// Carries the base definition's descriptive fields over into *info and
// appends this run's credit ("<sample_count> by <info->user>") to its
// refinement history. Call after ApplyAuthorSettings.
void ApplyRefinement(const BaseDefinition& base, int sample_count,
                     DefinitionInfo* info);

}  // namespace mavoscan

#endif  // MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_
