#include "check/file_verifier.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "common/failure.h"
#include "common/records.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

int64_t EndOf(const DefinitionPattern& pattern) {
  return pattern.pos + static_cast<int64_t>(pattern.bytes.size());
}

std::string WithReason(Platform& platform, std::string text) {
  const std::string reason = platform.FailureReason();
  if (!reason.empty()) text += " (" + reason + ")";
  return text;
}

}  // namespace

FileVerifier::FileVerifier(const DefinitionContent& definition,
                           VerifyDepth depth)
    : definition_(definition), depth_(depth) {
  if (definition.check_strings || depth == VerifyDepth::kExplain) {
    for (const std::string& written : definition.strings) {
      searched_.push_back(SearchedString(written));
    }
  }
  for (const DefinitionPattern& pattern : definition.patterns) {
    const int64_t end = EndOf(pattern);
    if (pattern.pos >= 0 && end <= kFrontBlockSize) {
      front_length_ = std::max(front_length_, static_cast<size_t>(end));
    }
  }
  if (depth == VerifyDepth::kExplain) front_length_ = kFrontBlockSize;
}

bool FileVerifier::Usable(std::string* err) const {
  for (size_t i = 0; i < definition_.patterns.size(); ++i) {
    if (definition_.patterns[i].pos < 0) {
      *err = "pattern " + std::to_string(i + 1) + " lies at offset " +
             std::to_string(definition_.patterns[i].pos) +
             ", before the start of any file";
      return false;
    }
  }
  return true;
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
  // A read of fewer bytes than the file holds there is a failed read, not
  // a short file.
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

  if (!read(0, front_length_, &front_)) return false;
  if (depth_ == VerifyDepth::kExplain) verdict->front = front_;
  std::string far;
  for (size_t i = 0; i < definition_.patterns.size(); ++i) {
    const DefinitionPattern& pattern = definition_.patterns[i];
    const std::string* source = &front_;
    size_t at = static_cast<size_t>(pattern.pos);
    // Patterns beyond the front block only come from edited definitions;
    // each is read on its own.
    if (EndOf(pattern) > static_cast<int64_t>(front_length_)) {
      if (!read(pattern.pos, pattern.bytes.size(), &far)) return false;
      source = &far;
      at = 0;
    }
    const std::string found =
        at < source->size() ? source->substr(at, pattern.bytes.size()) : "";
    if (found != pattern.bytes) {
      verdict->failed_patterns.push_back(
          {i, found, found.size() < pattern.bytes.size()});
    }
  }

  if (searched_.empty()) return true;
  Failure failure;
  // The sample reader counts a failed piece as empty, which here would make
  // strings look missing; a text of the wrong length shows the failure.
  const int64_t text_length =
      size <= kWholeReadLimit ? size : kWholeReadLimit + 1;
  if (!ReadSampleText(platform, {path, size}, &text_, &scratch_, &failure) ||
      static_cast<int64_t>(text_.size()) != text_length) {
    *err = WithReason(platform, "cannot read " + path);
    return false;
  }
  std::vector<size_t>& missing = definition_.check_strings
                                     ? verdict->missing_strings
                                     : verdict->unchecked_missing_strings;
  for (size_t i = 0; i < searched_.size(); ++i) {
    if (text_.find(searched_[i]) == std::string::npos) missing.push_back(i);
  }
  return true;
}

}  // namespace mavoscan
