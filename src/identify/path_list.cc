#include "identify/path_list.h"

namespace mavoscan {
namespace {

constexpr size_t kReadPiece = 64 * 1024;

}  // namespace

PathList::PathList(InputStream& stream, ListSeparator separator)
    : stream_(stream),
      separator_(separator == ListSeparator::kNul ? '\0' : '\n') {}

ListItem PathList::Next(std::string* path) {
  for (;;) {
    const size_t end = buffer_.find(separator_, at_);
    if (end != std::string::npos || (ended_ && at_ < buffer_.size())) {
      const size_t stop = end == std::string::npos ? buffer_.size() : end;
      path->assign(buffer_, at_, stop - at_);
      at_ = end == std::string::npos ? buffer_.size() : end + 1;
      if (separator_ == '\n' && !path->empty() && path->back() == '\r') {
        path->pop_back();
      }
      if (path->empty()) continue;
      return ListItem::kPath;
    }
    if (ended_) return ListItem::kEnd;
    // Keep only the unfinished name before reading more.
    buffer_.erase(0, at_);
    at_ = 0;
    if (!stream_.Read(kReadPiece, &piece_)) return ListItem::kError;
    if (piece_.empty()) {
      ended_ = true;
    } else {
      buffer_.append(piece_);
    }
  }
}

}  // namespace mavoscan
