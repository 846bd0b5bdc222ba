#include "output/output_rotation.h"

#include <string_view>

#include "output/definition_writer.h"

namespace mavoscan {
namespace {

// True when `text` is a whole definition: it ends with the root's closing
// tag (what follows it may only be line ends and blanks). A write that
// stopped early never gets that far.
bool HoldsDefinition(std::string_view text) {
  constexpr std::string_view kClosingTag = "</Mavo>";
  const size_t end = text.find_last_not_of(" \t\r\n");
  return end != std::string_view::npos &&
         text.substr(0, end + 1).ends_with(kClosingTag);
}

bool FileHoldsDefinition(Platform& platform, const std::string& path) {
  std::string text;
  return platform.ReadWholeFile(path, &text) && HoldsDefinition(text);
}

}  // namespace

bool CheckRefinableInPlace(Platform& platform,
                           const std::string& definition_file,
                           Failure* failure) {
  // The backup's own name, however spelt ("./newtype.mavo.xml.bak", an
  // absolute path, a symbolic link to it). A hard link to the same file, as
  // a run stopped between its renames leaves the base, is an ordinary
  // base: the backup holds its text already and keeps it while the refined
  // definition takes the other name.
  if (platform.FileExists(kBackupFile) &&
      platform.SameEntry(definition_file, kBackupFile)) {
    *failure = {true,
                std::string("* Error: the backup file ") + kBackupFile +
                    " cannot be refined in place!",
                {}};
    return false;
  }
  return true;
}

bool BackUpPrevious(Platform& platform, bool refining,
                    const std::string& definition_file, Failure* failure) {
  // The run has just loaded a base definition, so it is taken without an
  // existence test. A new-definition file plays no part then.
  const std::string previous = refining ? definition_file : kNewDefinitionFile;
  // Without a previous definition an existing backup stays as it is.
  if (!refining && !platform.FileExists(previous)) return true;
  // A second name beside the backup first, then that name over the backup:
  // the previous file never leaves its own name, and the backup name is
  // never empty.
  TemporaryName second_name(platform);
  if (platform.LinkTemporaryBeside(previous, kBackupFile, second_name.out()) &&
      platform.ReplaceFile(second_name.name(), kBackupFile)) {
    second_name.Forget();
    return true;
  }
  *failure = {true,
              "* Error: unable to move " + previous + " to the backup file " +
                  kBackupFile + "!",
              {}};
  AddReason(platform, failure);
  return false;
}

std::vector<std::string> LeftDefinitionNotes(
    Platform& platform, const std::string& definition_file) {
  std::vector<std::string> notes;
  if (FileHoldsDefinition(platform, kBackupFile)) {
    notes.push_back(std::string("its previous text may be the backup file ") +
                    kBackupFile);
  }
  for (const std::string& path :
       platform.LeftTemporaries(platform.DirectoryPart(definition_file))) {
    if (FileHoldsDefinition(platform, path)) {
      notes.push_back("a stopped run left a complete definition in " + path);
    }
  }
  return notes;
}

}  // namespace mavoscan
