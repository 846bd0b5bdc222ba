#include "identify/identifier.h"

#include <algorithm>

#include "identify/evidence.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

std::string Reason(Platform& platform, std::string_view what) {
  std::string reason(what);
  const std::string system = platform.FailureReason();
  if (!system.empty()) reason += ": " + system;
  return reason;
}

}  // namespace

Identifier::Identifier(const IdentifyLibrary& library) : library_(library) {}

Identifier::~Identifier() = default;

bool Identifier::NeedsText() const {
  for (uint32_t index : candidates_) {
    if (!library_.string_ids(index).empty()) return true;
  }
  return false;
}

std::vector<IdentifyMatch> Identifier::Confirm(std::string_view text) {
  std::vector<IdentifyMatch> matches;
  bool searched = false;
  for (uint32_t index : candidates_) {
    const std::vector<uint32_t>& ids = library_.string_ids(index);
    IdentifyMatch match;
    match.definition = index;
    match.basis.patterns = library_.definition(index).content.patterns.size();
    match.basis.pattern_bytes = library_.pattern_bytes(index);
    match.basis.pattern_bits = library_.pattern_bits(index);
    if (!ids.empty()) {
      if (!searched) {
        if (search_ == nullptr) {
          search_ = std::make_unique<StringSearch>(library_.strings());
        }
        search_->Search(text);
        searched = true;
      }
      bool all = true;
      for (uint32_t id : ids) all = all && search_->Found(id);
      if (!all) continue;
      match.basis.strings = ids.size();
      for (uint32_t id : ids) {
        match.basis.string_bits +=
            StringBits(library_.strings()[id], text.size());
      }
    }
    match.bits =
        ReportedBits(match.basis.pattern_bits + match.basis.string_bits);
    match.weak = match.bits < kWeakBits;
    matches.push_back(match);
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [this](const IdentifyMatch& a, const IdentifyMatch& b) {
                     if (a.bits != b.bits) return a.bits > b.bits;
                     return library_.definition(a.definition).name <
                            library_.definition(b.definition).name;
                   });
  return matches;
}

std::vector<IdentifyMatch> Identifier::Identify(const FileBytes& bytes) {
  library_.PatternMatches(
      bytes.head.substr(0,
                        std::min(bytes.head.size(), library_.front_length())),
      &candidates_);
  if (bytes.tail.empty() || !NeedsText()) return Confirm(bytes.head);
  bytes_.assign(bytes.head);
  bytes_.push_back(kPieceJoint);
  bytes_.append(bytes.tail);
  return Confirm(bytes_);
}

bool Identifier::IdentifyFile(Platform& platform, const std::string& path,
                              int64_t* size,
                              std::vector<IdentifyMatch>* matches,
                              std::string* reason) {
  matches->clear();
  std::unique_ptr<ReadableFile> file = platform.OpenForReading(path);
  if (file == nullptr) {
    *reason = Reason(platform, "cannot open");
    return false;
  }
  *size = std::max<int64_t>(file->Size(), 0);
  // Replaces *out with `length` bytes at `offset`, fewer where the file
  // ends first; a read of fewer bytes than the file holds there fails.
  auto read = [&](int64_t offset, size_t length, std::string* out) {
    const size_t available = static_cast<size_t>(
        std::clamp<int64_t>(*size - offset, 0, static_cast<int64_t>(length)));
    if (available == 0) {
      out->clear();
      return true;
    }
    if (file->ReadAt(offset, available, out) && out->size() >= available) {
      out->resize(available);
      return true;
    }
    *reason = Reason(platform, "cannot read");
    return false;
  };

  if (!read(0, library_.front_length(), &bytes_)) return false;
  library_.PatternMatches(bytes_, &candidates_);
  if (!NeedsText()) {
    *matches = Confirm(bytes_);
    return true;
  }
  // The front read is the text's beginning; the rest of the head follows
  // it, then the tail.
  const TextLayout pieces = SampleTextLayout(*size);
  const size_t have = bytes_.size();
  if (pieces.head.length > have) {
    if (!read(static_cast<int64_t>(have), pieces.head.length - have,
              &scratch_)) {
      return false;
    }
    bytes_.append(scratch_);
  }
  if (pieces.tail) {
    if (!read(pieces.tail->offset, pieces.tail->length, &scratch_)) {
      return false;
    }
    bytes_.push_back(kPieceJoint);
    bytes_.append(scratch_);
  }
  *matches = Confirm(bytes_);
  return true;
}

std::vector<IdentifyMatch> Identify(const IdentifyLibrary& library,
                                    const FileBytes& bytes) {
  Identifier identifier(library);
  return identifier.Identify(bytes);
}

size_t BestCount(const std::vector<IdentifyMatch>& matches) {
  size_t count = 0;
  while (count < matches.size() && matches[count].bits == matches[0].bits) {
    ++count;
  }
  return count;
}

}  // namespace mavoscan
