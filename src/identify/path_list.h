#ifndef MAVOSCAN_IDENTIFY_PATH_LIST_H_
#define MAVOSCAN_IDENTIFY_PATH_LIST_H_

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace mavoscan {

enum class ListSeparator {
  kNewline,  // one name a line; a CR before the LF is dropped
  kNul,      // names ending in NUL, as find -print0 writes them
};

enum class ListItem { kPath, kEnd, kError };

// Takes the names of a list one at a time as its stream delivers them, so
// that a list that is still being written is worked on meanwhile, and
// memory does not grow with the list. Empty names are skipped; a last name
// without its separator counts.
class PathList {
 public:
  // `stream` must outlive the list.
  PathList(InputStream& stream, ListSeparator separator);

  // kPath with *path set to the next name, kEnd at the end of the list, or
  // kError when the stream cannot be read.
  ListItem Next(std::string* path);

 private:
  InputStream& stream_;
  const char separator_;
  std::string buffer_;
  size_t at_ = 0;
  bool ended_ = false;
  std::string piece_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_PATH_LIST_H_
