#ifndef MAVOSCAN_XMLREAD_XML_ENTRIES_H_
#define MAVOSCAN_XMLREAD_XML_ENTRIES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// One run of text of an XML file and the element path that holds it, such
// as "\Mavo\Info\FileType". `value` is never empty.
struct XmlEntry {
  std::string path;
  std::string value;
};
using XmlEntryList = std::vector<XmlEntry>;

// Flattens an XML text into its entries, in document order. Forgiving: no
// input is an error.
XmlEntryList ParseXmlEntries(std::string buffer);

// Reads the file `name` and flattens it. Returns the number of entries; 0
// with *entries untouched when the file is missing (or hidden, or not a
// regular file) or cannot be read.
int64_t ReadXmlEntries(Platform& platform, const std::string& name,
                       XmlEntryList* entries);

}  // namespace mavoscan

#endif  // MAVOSCAN_XMLREAD_XML_ENTRIES_H_
