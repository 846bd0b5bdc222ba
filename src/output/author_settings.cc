#include "output/author_settings.h"

#include <string>
#include <string_view>
#include <utility>

#include "common/text.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {

void ApplyAuthorSettings(Platform& platform, DefinitionInfo* info) {
  std::string text;
  // A missing or unreadable settings file keeps the placeholders.
  if (!ReadXmlText(platform, kSettingsFile, &text)) return;
  // Element names may be written in any case; only the three elements right
  // inside a SETTINGS root count, and a later one replaces an earlier one.
  constexpr size_t kLongestPath = sizeof("\\SETTINGS\\E-MAIL") - 1;
  ScanXmlEntries(std::move(text),
                 [info](std::string_view path, std::string_view value) {
                   if (path.size() > kLongestPath) return;
                   const std::string upper = UpperCase(path);
                   if (upper == "\\SETTINGS\\USER") {
                     info->user = value;
                   } else if (upper == "\\SETTINGS\\E-MAIL") {
                     info->email = value;
                   } else if (upper == "\\SETTINGS\\HOME") {
                     info->home = value;
                   }
                 });
}

void ApplyRefinement(const BaseDefinition& base, int sample_count,
                     DefinitionInfo* info) {
  // The credit names whoever refines (the settings file's user), not the
  // base definition's author.
  std::string refine = base.refine;
  if (!refine.empty()) refine += " - ";
  refine += std::to_string(sample_count) + " by " + info->user;
  info->refine = std::move(refine);
  info->file_type = base.file_type;
  info->user = base.user;
  info->email = base.email;
  info->home = base.home;
  info->rem = base.rem;
  info->ref_url = base.ref_url;
}

}  // namespace mavoscan
