#include "xmlread/xml_entries.h"

#include <utility>

#include "xmlread/xml_scan.h"

namespace mavoscan {

XmlEntryList ParseXmlEntries(std::string buffer) {
  XmlEntryList entries;
  ScanXmlEntries(std::move(buffer),
                 [&entries](std::string_view path, std::string_view value) {
                   entries.push_back({std::string(path), std::string(value)});
                 });
  return entries;
}

int64_t ReadXmlEntries(Platform& platform, const std::string& name,
                       XmlEntryList* entries) {
  std::string text;
  if (!ReadXmlText(platform, name, &text)) return 0;
  *entries = ParseXmlEntries(std::move(text));
  return static_cast<int64_t>(entries->size());
}

}  // namespace mavoscan
