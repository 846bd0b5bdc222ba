#include "output/output_rotation.h"

#include "output/definition_writer.h"

namespace mavoscan {
namespace {

// Removes the old backup so that a file can be moved to its name. False
// with *err set when it exists and cannot be deleted.
bool ClearBackup(Platform& platform, std::string* err) {
  if (!platform.FileExists(kBackupFile) || platform.DeleteFile(kBackupFile)) {
    return true;
  }
  *err = std::string("\r\n* Error: unable to delete the old backup file ") +
         kBackupFile + "!\r\n";
  return false;
}

bool MoveToBackup(Platform& platform, const std::string& file,
                  std::string* err) {
  if (platform.MoveFile(file, kBackupFile)) return true;
  *err = "\r\n* Error: unable to move " + file + " to the backup file " +
         kBackupFile + "!\r\n";
  return false;
}

}  // namespace

bool CheckRefinableInPlace(Platform& platform,
                           const std::string& definition_file,
                           std::string* err) {
  // Identity, not spelling: "./newtype.mavo.xml.bak", an absolute path or a
  // link to it would all be deleted by the rotation before being moved.
  if (platform.FileExists(kBackupFile) &&
      platform.SameFile(definition_file, kBackupFile)) {
    *err = std::string("\r\n* Error: the backup file ") + kBackupFile +
           " cannot be refined in place!\r\n";
    return false;
  }
  return true;
}

bool RotateOutput(Platform& platform, bool refining,
                  const std::string& definition_file, std::string* moved,
                  std::string* err) {
  moved->clear();
  // Each step stops the run when it fails, so the writer never replaces a
  // previous definition that has not reached the backup name.
  // The run has just loaded a base definition, so it is moved without an
  // existence test. A new-definition file plays no part then.
  const std::string previous = refining ? definition_file : kNewDefinitionFile;
  // Without a previous definition an existing backup stays as it is.
  if (!refining && !platform.FileExists(previous)) return true;
  if (!ClearBackup(platform, err) || !MoveToBackup(platform, previous, err)) {
    return false;
  }
  *moved = previous;
  return true;
}

}  // namespace mavoscan
