#include "tune/tuned_output.h"

#include "common/failure.h"
#include "output/definition_writer.h"
#include "output/output_rotation.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {
std::string ScannerFailureLine(const Failure& failure) {
  constexpr std::string_view kLead = "* Error: ";
  std::string text = failure.text;
  if (text.starts_with(kLead)) text.erase(0, kLead.size());
  if (text.ends_with("!")) text.pop_back();
  // The system's reason comes in parentheses already; other details not.
  for (const std::string& detail : failure.details) {
    text += detail.starts_with("(") ? " " + detail : " (" + detail + ")";
  }
  return text;
}

bool ReadDefinitionInfo(Platform& platform, const std::string& name,
                        DefinitionInfo* info, std::string* err) {
  BaseDefinition base;
  if (!LoadDefinition(platform, name, StringMode::kNone, &base)) {
    *err = "cannot read the definition " + name;
    return false;
  }
  *info = DefinitionInfo();
  info->file_type = base.file_type;
  info->rem = base.rem;
  info->ref_url = base.ref_url;
  info->user = base.user;
  info->email = base.email;
  info->home = base.home;
  info->file_num = base.file_num;
  info->refine = base.refine;
  // The loader leaves Ext to the samples of a refinement; a derived
  // definition keeps the one written.
  std::string text;
  if (!ReadXmlText(platform, name, &text)) {
    *err = "cannot read the definition " + name;
    return false;
  }
  bool found = false;
  ScanXmlEntries(std::move(text),
                 [&](std::string_view path, std::string_view value) {
                   if (!found && path == "\\Mavo\\Info\\Ext") {
                     info->ext = value;
                     found = true;
                   }
                 });
  return true;
}

bool WriteDerivedDefinition(Platform& platform, const std::string& output_file,
                            const DefinitionInfo& info,
                            const DefinitionContent& content,
                            std::string* err) {
  Failure failure;
  if (!CheckRefinableInPlace(platform, output_file, &failure)) {
    *err = std::string("cannot write over the backup file ") + kBackupFile;
    return false;
  }
  PatternList patterns;
  for (const DefinitionPattern& pattern : content.patterns) {
    patterns.push_back(Pattern{pattern.bytes, static_cast<int>(pattern.pos)});
  }
  const std::string text = RenderDefinition(
      info, content.check_strings ? StringMode::kRescan : StringMode::kNone,
      patterns, content.strings, platform.Now());
  if (!WriteDefinition(platform,
                       {output_file, false, "", BackupOf::kOutputFile}, text,
                       &failure)) {
    *err = ScannerFailureLine(failure);
    return false;
  }
  return true;
}

}  // namespace mavoscan
