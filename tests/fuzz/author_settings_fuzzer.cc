// The settings reader on arbitrary file contents, against the rule it
// follows spelt out over the flat entry list: the last USER, E-MAIL and
// HOME directly inside a SETTINGS root, names in any case, win.
// Input: the bytes of the settings file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fakes/fake_platform.h"
#include "fuzz/fuzz_check.h"
#include "output/author_settings.h"
#include "output/definition_writer.h"
#include "xmlread/xml_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mavoscan;
  const std::string text(reinterpret_cast<const char*>(data), size);
  FakePlatform fake;
  fake.AddFile(kSettingsFile, text);

  const DefinitionInfo placeholders = NewDefinitionInfo("BIN", 3);
  DefinitionInfo expected = placeholders;
  ScanXmlEntries(
      text, [&expected](std::string_view entry_path, std::string_view value) {
        const std::string path = UpperCase(entry_path);
        if (path == "\\SETTINGS\\USER") expected.user = value;
        if (path == "\\SETTINGS\\E-MAIL") expected.email = value;
        if (path == "\\SETTINGS\\HOME") expected.home = value;
      });

  DefinitionInfo info = placeholders;
  ApplyAuthorSettings(fake, &info);
  Require(info.user == expected.user, "wrong user");
  Require(info.email == expected.email, "wrong e-mail");
  Require(info.home == expected.home, "wrong home page");
  Require(info.file_type == placeholders.file_type &&
              info.ext == placeholders.ext &&
              info.file_num == placeholders.file_num && info.rem.empty() &&
              info.ref_url.empty() && info.refine.empty(),
          "a field other than the author's changed");
  return 0;
}
