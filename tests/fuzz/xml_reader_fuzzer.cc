// The XML reader and the definition loader on arbitrary file contents.
// Input: the file's bytes; its last byte also chooses whether the strings
// are inherited.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/records.h"
#include "common/text.h"
#include "fakes/fake_platform.h"
#include "fuzz/fuzz_check.h"
#include "xmlread/definition_loader.h"
#include "xmlread/xml_entries.h"

namespace mavoscan {
namespace {

void CheckLoaded(const BaseDefinition& base, bool inherit, bool scan_strings,
                 bool write_strings) {
  const std::string& mask = base.position_mask;
  Require(mask.size() == base.base_block.size(),
          "mask and block differ in length");
  Require(mask.size() <= static_cast<size_t>(kFrontBlockSize),
          "front block longer than 2048 bytes");
  for (size_t i = 0; i < mask.size(); ++i) {
    Require(mask[i] == '0' || mask[i] == '1', "mask byte other than 0 or 1");
    Require(mask[i] == '1' || base.base_block[i] == ' ',
            "byte outside every pattern is not a space");
  }
  if (!inherit) {
    Require(scan_strings && write_strings && base.raw_strings.empty(),
            "strings touched although not inherited");
    return;
  }
  Require(scan_strings == write_strings, "scan and write flags differ");
  Require(scan_strings || base.raw_strings.empty(),
          "strings kept without CheckStrings");
  for (const std::string& s : base.raw_strings) {
    Require(s.find('\'') == std::string::npos, "apostrophe left in a string");
    Require(UpperCase(s) == s, "inherited string not upper-cased");
  }
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mavoscan;
  const bool inherit = size > 0 && (data[size - 1] & 1) != 0;
  const std::string text(reinterpret_cast<const char*>(data), size);

  const XmlEntryList entries = ParseXmlEntries(text);
  for (const XmlEntry& entry : entries) {
    Require(!entry.value.empty(), "entry with an empty value");
    Require(entry.value.front() != ' ' && entry.value.back() != ' ',
            "entry value not stripped of spaces");
  }

  FakePlatform fake;
  fake.AddFile("def.xml", text);
  XmlEntryList read;
  Require(ReadXmlEntries(fake, "def.xml", &read) ==
              static_cast<int64_t>(entries.size()),
          "reading the file gives another entry count than parsing it");

  BaseDefinition base;
  bool scan_strings = true;
  bool write_strings = true;
  if (LoadDefinition(fake, "def.xml", inherit, &base, &scan_strings,
                     &write_strings)) {
    Require(!entries.empty() && entries[0].path.starts_with("\\Mavo"),
            "loaded a file not rooted at \\Mavo");
    CheckLoaded(base, inherit, scan_strings, write_strings);
  }
  return 0;
}
