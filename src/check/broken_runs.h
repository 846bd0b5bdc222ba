#ifndef MAVOSCAN_CHECK_BROKEN_RUNS_H_
#define MAVOSCAN_CHECK_BROKEN_RUNS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace mavoscan {

// A file that does not hold a run's bytes.
struct RunBreaker {
  // Index into the front blocks the run was found in.
  size_t file = 0;
  // The bytes the file holds where the run lies: as many as the run has,
  // fewer when the file ends first.
  std::string found;
  bool file_too_short = false;
};

// A run of front-block bytes that most files share and some break.
//
// "Most" at one offset: the most common byte there is held by at least 3/4
// of all the files and by at least 2 of them, but not by every file (a byte
// every file holds is a pattern, not a broken run). A file too short to
// reach the offset breaks it: a definition built from the set cannot keep
// the byte either. Consecutive such offsets form a run, split wherever the
// set of breaking files changes, so that one list of breakers holds for the
// whole run and each breaker differs at every byte of it.
struct BrokenRun {
  size_t offset = 0;
  // The bytes most files hold.
  std::string bytes;
  size_t held_by = 0;
  // In the order of the files.
  std::vector<RunBreaker> breakers;
};

// The broken runs of `fronts` (each a file's leading bytes, at most
// kFrontBlockSize of them), in ascending order of offset.
std::vector<BrokenRun> FindBrokenRuns(const std::vector<std::string>& fronts);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_BROKEN_RUNS_H_
