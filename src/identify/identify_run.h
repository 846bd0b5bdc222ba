#ifndef MAVOSCAN_IDENTIFY_IDENTIFY_RUN_H_
#define MAVOSCAN_IDENTIFY_IDENTIFY_RUN_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "identify/identifier.h"
#include "identify/identify_library.h"
#include "platform/platform.h"

namespace mavoscan {

// What became of one file.
struct FileIdentity {
  std::string path;
  // Unknown when the file could not be opened.
  std::optional<int64_t> size;
  // Set when the file could not be read ("cannot open: ..."); the matches
  // are then empty.
  std::string error;
  // Ranked, best first.
  std::vector<IdentifyMatch> matches;
};

// Gives the next path: true with *path set, false at the end of the input.
using PathSource = std::function<bool(std::string* path)>;
// Takes the identities of files, in the order their paths came; returns
// false to end the run early (the report cannot be written).
using IdentitySink = std::function<bool(std::vector<FileIdentity>& done)>;

// Identifies every file `next` gives against `library` on `threads` threads
// (the calling one among them), handing each batch of finished files to
// `emit` in input order as soon as every file before them is done. Paths
// are taken as the work goes, a bounded number ahead, so memory does not
// grow with their number. `next` and `emit` are called on the calling
// thread only. Returns false when `emit` does.
bool IdentifyFiles(Platform& platform, const IdentifyLibrary& library,
                   int threads, const PathSource& next,
                   const IdentitySink& emit);

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_IDENTIFY_RUN_H_
