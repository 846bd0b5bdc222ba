#ifndef MAVOSCAN_TESTS_E2E_TRANSCRIPTS_H_
#define MAVOSCAN_TESTS_E2E_TRANSCRIPTS_H_

#include <string>

#include "e2e/e2e_harness.h"

namespace mavoscan::e2e {

// The first two lines of every run.
inline std::string Banner() {
  return Lines({"",
                "MavoScan32 v1.56 - file type definition builder, (c) 2026 "
                "the MavoScan developers"});
}

inline std::string Usage() {
  return Lines({
      "",
      "Usage: MavoScan [path]<files mask> [[path]<def_file>] [</FS>|</NS>]",
      "",
      "Where: <files mask> Files to scan for patterns",
      "       <def_file>   Specify a base definition to refine",
      "       /FS          Force strings (re)scanning (when refining)",
      "       /NS          Don't scan for strings (remove them when refining)",
      "       /?           This help!",
  });
}

// The system's reason for a failure as the tool shows it: the POSIX text,
// or Wine's for the Windows build.
inline std::string Reason(const std::string& posix, const std::string& wine) {
  return "         (" + (WindowsTool() ? wine : posix) + ")";
}

// The lines of a string analysis that ends with `found` strings: the raw
// strings cut from the smallest sample (`raw` of them) when `rescan`.
inline std::string StringPasses(bool rescan, int raw, int found) {
  std::string text;
  if (rescan) {
    text += Lines({"Scanning for raw strings...",
                   "Raw string(s) found: " + std::to_string(raw)});
  }
  return text + Lines({"Pre-filtering strings...", "Phase 1... 100%",
                       "Phase 2... 100%", "Erasing substrings... 100%",
                       "String(s) found: " + std::to_string(found)});
}

// The date, time and creator lines of a definition after NormalizeDateTime.
inline std::string DateLines() {
  return Lines({"\t\t<Date>", "\t\t\t<Year>YYYY</Year>",
                "\t\t\t<Month>MM</Month>", "\t\t\t<Day>DD</Day>", "\t\t</Date>",
                "\t\t<Time>", "\t\t\t<Hour>hh</Hour>", "\t\t\t<Min>mm</Min>",
                "\t\t\t<Sec>ss</Sec>", "\t\t</Time>",
                "\t\t<Creator>MavoScan32 v1.56</Creator>"});
}

}  // namespace mavoscan::e2e

#endif  // MAVOSCAN_TESTS_E2E_TRANSCRIPTS_H_
