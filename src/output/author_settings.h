#ifndef MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_
#define MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_

#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

constexpr char kSettingsFile[] = "mavoscan.cfg.xml";

// Replaces the author fields of *info by the USER, E-MAIL and HOME of the
// settings file, when it exists and names them.
void ApplyAuthorSettings(Platform& platform, DefinitionInfo* info);

}  // namespace mavoscan

#endif  // MAVOSCAN_OUTPUT_AUTHOR_SETTINGS_H_
