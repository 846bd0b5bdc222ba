#ifndef MAVOSCAN_IDENTIFY_IDENTIFY_REPORT_H_
#define MAVOSCAN_IDENTIFY_IDENTIFY_REPORT_H_

#include <string>
#include <string_view>

#include "identify/identify_library.h"
#include "identify/identify_run.h"

namespace mavoscan {

// Which matches a report line names.
enum class MatchesShown {
  kBest,  // the best and those tied with it
  kAll,   // every match, best first
};

// The schema of the JSON lines, named in each of them.
constexpr char kIdentifyFormat[] = "mavocheck-identify/1";

// One line of the text report, ending in "\n":
//   "a.png: PNG image [png.mavo.xml, 64 bits]"
//   "b.bin: unknown"
//   "c.bin: error: cannot open: Permission denied"
// Several matches are joined by "; ", a weak one says ", weak" inside its
// brackets and a best match tied with another ends the line in " (tie)".
// Control bytes of the name and the type are written as \xHH.
std::string IdentityText(const IdentifyLibrary& library,
                         const FileIdentity& identity, MatchesShown shown);

// The same as one JSON object on one line, ending in "\n".
std::string IdentityJson(const IdentifyLibrary& library,
                         const FileIdentity& identity, MatchesShown shown);

// A figure of bits as the text shows it: "64", "37.5".
std::string BitsText(double bits);

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_IDENTIFY_REPORT_H_
