#ifndef MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_
#define MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_

#include <string>
#include <vector>

#include "common/failure.h"
#include "platform/platform.h"

namespace mavoscan {

constexpr char kBackupFile[] = "newtype.mavo.xml.bak";

// A temporary file of the output stage: deleted when the object goes, on
// every way out (an exception included), unless Forget is called once the
// file has taken its final name.
class TemporaryName {
 public:
  explicit TemporaryName(Platform& platform) : platform_(platform) {}
  ~TemporaryName() {
    if (!name_.empty()) platform_.DeleteFile(name_);
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;

  // Where the platform call that makes the file puts its name.
  std::string* out() { return &name_; }
  const std::string& name() const { return name_; }
  void Forget() { name_.clear(); }

 private:
  Platform& platform_;
  std::string name_;  // empty while there is no file
};

// Refuses to refine the backup file itself: the refined definition would
// take the backup's place as well, and the base would be kept nowhere.
// Returns false with *failure set when `definition_file` names the
// backup's own directory entry, however it is spelt.
bool CheckRefinableInPlace(Platform& platform,
                           const std::string& definition_file,
                           Failure* failure);

// Keeps the file that the run is about to replace (the base definition when
// refining, otherwise an existing newtype.mavo.xml; none for a first new
// definition) as the one backup generation, while it keeps its own name
// too, so that the new definition can take that name in one step. The
// backup name changes in one step as well: it holds the old backup or the
// new one at every moment. Returns false with *failure set when the backup
// cannot be made, so that nothing is overwritten without one.
bool BackUpPrevious(Platform& platform, bool refining,
                    const std::string& definition_file, Failure* failure);

// For a base definition that is not found: detail lines naming the files
// that may hold its text (the backup, and complete temporary files that
// ended runs left beside the base), as a run stopped while replacing it
// may leave them. Empty when none holds a definition.
std::vector<std::string> LeftDefinitionNotes(
    Platform& platform, const std::string& definition_file);

}  // namespace mavoscan

#endif  // MAVOSCAN_OUTPUT_OUTPUT_ROTATION_H_
