#include "output/output_rotation.h"

#include "output/definition_writer.h"

namespace mavoscan {
namespace {

// Removes the old backup so that a file can be moved to its name. False
// with *failure set when it exists and cannot be deleted.
bool ClearBackup(Platform& platform, Failure* failure) {
  if (!platform.FileExists(kBackupFile) || platform.DeleteFile(kBackupFile)) {
    return true;
  }
  *failure = {true,
              std::string("* Error: unable to delete the old backup file ") +
                  kBackupFile + "!",
              {}};
  AddReason(platform, failure);
  return false;
}

bool MoveToBackup(Platform& platform, const std::string& file,
                  Failure* failure) {
  if (platform.MoveFile(file, kBackupFile)) return true;
  *failure = {true,
              "* Error: unable to move " + file + " to the backup file " +
                  kBackupFile + "!",
              {}};
  AddReason(platform, failure);
  return false;
}

}  // namespace

bool CheckRefinableInPlace(Platform& platform,
                           const std::string& definition_file,
                           Failure* failure) {
  // Identity, not spelling: "./newtype.mavo.xml.bak", an absolute path or a
  // link to it would all be deleted by the rotation before being moved.
  if (platform.FileExists(kBackupFile) &&
      platform.SameFile(definition_file, kBackupFile)) {
    *failure = {true,
                std::string("* Error: the backup file ") + kBackupFile +
                    " cannot be refined in place!",
                {}};
    return false;
  }
  return true;
}

bool RotateOutput(Platform& platform, bool refining,
                  const std::string& definition_file, std::string* moved,
                  Failure* failure) {
  moved->clear();
  // Each step stops the run when it fails, so the writer never replaces a
  // previous definition that has not reached the backup name.
  // The run has just loaded a base definition, so it is moved without an
  // existence test. A new-definition file plays no part then.
  const std::string previous = refining ? definition_file : kNewDefinitionFile;
  // Without a previous definition an existing backup stays as it is.
  if (!refining && !platform.FileExists(previous)) return true;
  if (!ClearBackup(platform, failure) ||
      !MoveToBackup(platform, previous, failure)) {
    return false;
  }
  *moved = previous;
  return true;
}

}  // namespace mavoscan
