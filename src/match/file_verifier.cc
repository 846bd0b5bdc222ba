#include "match/file_verifier.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "common/records.h"
#include "common/side_task.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

// The bytes of a file read and searched at a time.
constexpr size_t kWindowStep = size_t{1} << 18;

int64_t EndOf(const DefinitionPattern& pattern) {
  return pattern.pos + static_cast<int64_t>(pattern.bytes.size());
}

}  // namespace

std::string WithReason(Platform& platform, std::string text) {
  const std::string reason = platform.FailureReason();
  if (!reason.empty()) text += " (" + reason + ")";
  return text;
}

bool DefinitionUsable(const DefinitionContent& definition, std::string* err) {
  for (size_t i = 0; i < definition.patterns.size(); ++i) {
    if (definition.patterns[i].pos < 0) {
      *err = "pattern " + std::to_string(i + 1) + " lies at offset " +
             std::to_string(definition.patterns[i].pos) +
             ", before the start of any file";
      return false;
    }
  }
  return true;
}

FileVerifier::FileVerifier(const DefinitionContent& definition,
                           VerifyDepth depth)
    : definition_(definition), depth_(depth) {
  if (definition.check_strings || depth == VerifyDepth::kExplain) {
    for (const std::string& written : definition.strings) {
      searched_.push_back(SearchedString(written));
    }
    search_ = std::make_unique<StringSearch>(searched_);
  }
  for (const DefinitionPattern& pattern : definition.patterns) {
    const int64_t end = EndOf(pattern);
    if (pattern.pos >= 0 && end <= kFrontBlockSize) {
      front_length_ = std::max(front_length_, static_cast<size_t>(end));
    }
  }
  if (depth == VerifyDepth::kExplain) front_length_ = kFrontBlockSize;
}

bool FileVerifier::Verify(Platform& platform, const std::string& path,
                          FileVerdict* verdict, std::string* err) {
  *verdict = FileVerdict{path, {}, {}, {}, {}};
  std::unique_ptr<ReadableFile> file = platform.OpenForReading(path);
  if (file == nullptr) {
    *err = WithReason(platform, "cannot open " + path);
    return false;
  }
  const int64_t size = std::max<int64_t>(file->Size(), 0);
  // Replaces *out with the bytes at `offset`: `length` of them, fewer where
  // the file ends first. A read of fewer bytes than the file holds there is
  // a failed read, not a short file.
  auto read = [&](int64_t offset, size_t length, std::string* out) {
    const int64_t available =
        std::clamp<int64_t>(size - offset, 0, static_cast<int64_t>(length));
    if (available == 0) {
      out->clear();
      return true;
    }
    if (file->ReadAt(offset, length, out) &&
        static_cast<int64_t>(out->size()) >= available) {
      out->resize(static_cast<size_t>(available));
      return true;
    }
    *err = WithReason(platform, "cannot read " + path);
    return false;
  };

  if (!read(0, front_length_, &bytes_)) return false;
  const std::string_view front = bytes_;
  if (depth_ == VerifyDepth::kExplain) verdict->front = front;

  std::string far;
  for (size_t i = 0; i < definition_.patterns.size(); ++i) {
    const DefinitionPattern& pattern = definition_.patterns[i];
    std::string_view source = front;
    size_t at = static_cast<size_t>(pattern.pos);
    // Patterns beyond the front block only come from edited definitions;
    // each is read on its own.
    if (EndOf(pattern) > static_cast<int64_t>(front_length_)) {
      if (!read(pattern.pos, pattern.bytes.size(), &far)) return false;
      source = far;
      at = 0;
    }
    const std::string_view found =
        at < source.size() ? source.substr(at, pattern.bytes.size()) : "";
    if (found != pattern.bytes) {
      verdict->failed_patterns.push_back(
          {i, std::string(found), found.size() < pattern.bytes.size()});
    }
  }

  if (searched_.empty()) return true;
  // The text the string passes see is searched in windows of kWindowStep
  // bytes, each after the end of the one before, so that memory does not
  // grow with the file; the search stops once every string is found.
  search_->Begin();
  window_.clear();
  const TextLayout layout = SampleTextLayout(size);
  auto search_range = [&](const SampleRange& range) {
    for (size_t done = 0; done < range.length && !search_->AllFound();) {
      const size_t step = std::min(kWindowStep, range.length - done);
      if (!read(range.offset + static_cast<int64_t>(done), step, &scratch_)) {
        return false;
      }
      window_.append(scratch_);
      search_->SearchWindow(window_);
      const size_t keep = std::min(window_.size(), search_->Overlap());
      window_.erase(0, window_.size() - keep);
      done += step;
    }
    return true;
  };
  if (!search_range(layout.head)) return false;
  if (layout.tail) {
    window_.push_back(kPieceJoint);
    if (!search_range(*layout.tail)) return false;
  }
  std::vector<size_t>& missing = definition_.check_strings
                                     ? verdict->missing_strings
                                     : verdict->unchecked_missing_strings;
  for (size_t i = 0; i < searched_.size(); ++i) {
    if (!search_->Found(i)) missing.push_back(i);
  }
  return true;
}

}  // namespace mavoscan

namespace mavoscan {

bool VerifyFiles(Platform& platform, const DefinitionContent& definition,
                 VerifyDepth depth, const std::vector<std::string>& paths,
                 std::vector<FileVerdict>* verdicts, std::string* err,
                 const std::function<void(size_t)>& done) {
  verdicts->assign(paths.size(), FileVerdict());
  // Files are taken in order from a shared counter. A worker stops at its
  // first unreadable file, the other once it passes that file's place, so
  // every file before the first unreadable one in order is verified and
  // that one is the error reported, however the work was shared.
  std::atomic<size_t> next{0};
  std::atomic<size_t> finished{0};
  std::atomic<size_t> first_error{std::numeric_limits<size_t>::max()};
  std::string errors[2];
  size_t error_index[2] = {std::numeric_limits<size_t>::max(),
                           std::numeric_limits<size_t>::max()};
  auto work = [&](int worker) {
    FileVerifier verifier(definition, depth);
    for (;;) {
      const size_t index = next.fetch_add(1);
      if (index >= paths.size() || index > first_error.load()) return;
      if (!verifier.Verify(platform, paths[index], &(*verdicts)[index],
                           &errors[worker])) {
        error_index[worker] = index;
        size_t known = first_error.load();
        while (index < known &&
               !first_error.compare_exchange_weak(known, index)) {
        }
        return;
      }
      finished.fetch_add(1);
      // Only the calling thread may write to the console.
      if (worker == 0) done(finished.load());
    }
  };
  {
    SideTask other([&] { work(1); });
    work(0);
    // The calling thread reports progress while the other one finishes.
    other.WaitPolling([&] {
      done(finished.load());
      return true;
    });
  }
  done(finished.load());
  if (first_error.load() == std::numeric_limits<size_t>::max()) return true;
  *err = errors[error_index[0] == first_error.load() ? 0 : 1];
  return false;
}

}  // namespace mavoscan
