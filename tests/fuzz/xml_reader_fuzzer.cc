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
#include "xmlread/xml_scan.h"

namespace mavoscan {
namespace {

void CheckLoaded(const BaseDefinition& base, bool inherit) {
  const PositionLimit& positions = base.positions;
  Require(positions.size() == base.base_block.size(),
          "limit and block differ in length");
  Require(positions.size() <= static_cast<size_t>(kFrontBlockSize),
          "front block longer than 2048 bytes");
  for (size_t i = 0; i < positions.size(); ++i) {
    Require(positions.Allows(i) || base.base_block[i] == ' ',
            "byte outside every pattern is not a space");
  }
  if (!inherit) {
    Require(base.raw_strings.empty(), "strings kept although not inherited");
    return;
  }
  Require(base.check_strings || base.raw_strings.empty(),
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

  size_t count = 0;
  bool rooted = false;
  ScanXmlEntries(text, [&](std::string_view path, std::string_view value) {
    if (count++ == 0) rooted = path.starts_with("\\Mavo");
    Require(!value.empty(), "entry with an empty value");
    Require(value.front() != ' ' && value.back() != ' ',
            "entry value not stripped of spaces");
  });

  FakePlatform fake;
  fake.AddFile("def.xml", text);
  std::string read;
  Require(ReadXmlText(fake, "def.xml", &read) && read == text,
          "reading the file gives other bytes than it holds");

  BaseDefinition base;
  if (LoadDefinition(fake, "def.xml",
                     inherit ? StringMode::kInherit : StringMode::kRescan,
                     &base)) {
    Require(rooted, "loaded a file not rooted at \\Mavo");
    CheckLoaded(base, inherit);
  }
  return 0;
}
