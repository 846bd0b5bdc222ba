#ifndef MAVOSCAN_BENCH_BENCH_FILES_H_
#define MAVOSCAN_BENCH_BENCH_FILES_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mavoscan {

// Seconds on a monotonic clock, for measuring intervals.
double MonotonicSeconds();

// Creates `path` (replacing an existing file) and writes `data` to it.
bool WriteBytes(const std::string& path, std::string_view data,
                std::string* err);
// Replaces *data with the whole file.
bool ReadBytes(const std::string& path, std::string* data, std::string* err);
// The length of `path` when it is a regular file (links are not followed),
// otherwise -1.
int64_t RegularFileSize(const std::string& path);
// Creates `path` and its missing parents.
bool MakeDirectories(const std::string& path, std::string* err);

// Deletes one file.
bool RemoveFile(const std::string& path, std::string* err);

// Names of the regular, non-hidden files (not links) directly in `dir` whose
// names match the shell pattern `mask`, in ascending byte order.
bool ListFiles(const std::string& dir, const std::string& mask,
               std::vector<std::string>* names, std::string* err);
// Deletes the files that ListFiles(dir, mask) names, and nothing else.
bool DeleteFiles(const std::string& dir, const std::string& mask,
                 std::string* err);
// Copies a file's bytes to `to`, replacing it.
bool CopyFile(const std::string& from, const std::string& to, std::string* err);

// Reads every file once, fully, with read(2) into one buffer, and returns the
// seconds that took (the median of three passes) and the bytes read. A first
// untimed pass warms the page cache, so the figure is the floor that no
// reader of these files can beat.
bool MeasureReadFloor(const std::vector<std::string>& paths, double* seconds,
                      int64_t* bytes, std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_BENCH_BENCH_FILES_H_
