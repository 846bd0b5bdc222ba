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

}  // namespace mavoscan
