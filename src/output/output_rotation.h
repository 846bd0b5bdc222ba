#ifndef MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_
#define MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_

#include <string>

#include "common/failure.h"
#include "platform/platform.h"

namespace mavoscan {

constexpr char kBackupFile[] = "newtype.mavo.xml.bak";

// Refuses to refine the backup file itself, which the rotation would
// otherwise delete before moving it. Returns false with *failure set when
// `definition_file` is the backup file.
bool CheckRefinableInPlace(Platform& platform,
                           const std::string& definition_file,
                           Failure* failure);

// Keeps the file that the run is about to replace as the one backup
// generation, and sets *moved to the name it had (empty when nothing was
// moved). Returns false with *failure set when a step fails, so that
// nothing is overwritten without a backup.
bool RotateOutput(Platform& platform, bool refining,
                  const std::string& definition_file, std::string* moved,
                  Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_
