#ifndef MAVOSCAN_XMLREAD_XML_SCAN_H_
#define MAVOSCAN_XMLREAD_XML_SCAN_H_

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace mavoscan {

// Receives one entry of an XML text: the element path that holds the text
// and the text itself (never empty). Both views are valid during the call
// only.
using XmlEntryVisitor =
    std::function<void(std::string_view path, std::string_view value)>;

// Flattens an XML text and hands each entry to `visit` in document order:
// every run of text between two of "<" and ">" (spaces trimmed, CR LF
// removed, TABs made spaces) that is not a tag, with the path of the
// elements open around it ("\Mavo\Info\FileType"). Forgiving: no input is
// an error. Time and memory stay linear in the text however deep it nests,
// so callers that keep only the entries they look for are safe on any
// input.
void ScanXmlEntries(std::string text, const XmlEntryVisitor& visit);

// Reads the whole of `name` into *text when it is an existing regular,
// non-hidden file. Returns false, *text untouched, when it is missing or
// cannot be read.
bool ReadXmlText(Platform& platform, const std::string& name,
                 std::string* text);

}  // namespace mavoscan

#endif  // MAVOSCAN_XMLREAD_XML_SCAN_H_
