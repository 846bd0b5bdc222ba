#include "fakes/fake_platform.h"

#include <algorithm>

#include "common/mask_match.h"

namespace mavoscan {

class FakeReadableFile : public ReadableFile {
 public:
  FakeReadableFile(FakePlatform* platform, std::string data)
      : platform_(platform), data_(std::move(data)) {}
  int64_t Size() override {
    std::lock_guard<std::mutex> lock(platform_->mutex_);
    if (platform_->Fails(FakeCall::kSize)) return 0;
    return static_cast<int64_t>(data_.size());
  }
  bool ReadAt(int64_t offset, size_t length, std::string* out) override {
    std::lock_guard<std::mutex> lock(platform_->mutex_);
    FakeCall fault = platform_->NextRead();
    if (fault == FakeCall::kRead || offset < 0) return false;
    size_t start = std::min(static_cast<size_t>(offset), data_.size());
    *out = data_.substr(start, length);
    if (fault == FakeCall::kShortRead) out->resize(out->size() / 2);
    return true;
  }

 private:
  FakePlatform* platform_;
  std::string data_;
};

class FakeInputStream : public InputStream {
 public:
  FakeInputStream(FakePlatform* platform, std::string data)
      : platform_(platform), data_(std::move(data)) {}
  bool Read(size_t length, std::string* out) override {
    std::lock_guard<std::mutex> lock(platform_->mutex_);
    platform_->output_at_stream_reads_.push_back(platform_->output_.size());
    if (platform_->NextRead() == FakeCall::kRead) return false;
    *out = data_.substr(at_, std::min(length, platform_->stream_piece_));
    at_ += out->size();
    return true;
  }

 private:
  FakePlatform* platform_;
  std::string data_;
  size_t at_ = 0;
};

class FakeWritableFile : public WritableFile {
 public:
  FakeWritableFile(FakePlatform* platform, std::string path, bool fail)
      : platform_(platform), path_(std::move(path)), fail_(fail) {}
  bool Append(std::string_view data) override {
    std::lock_guard<std::mutex> lock(platform_->mutex_);
    if (platform_->Fails(FakeCall::kAppend)) fail_ = true;
    if (fail_) return false;
    platform_->files_[path_].append(data);
    return true;
  }
  bool Close() override {
    std::lock_guard<std::mutex> lock(platform_->mutex_);
    if (platform_->Fails(FakeCall::kClose)) fail_ = true;
    return !fail_;
  }

 private:
  FakePlatform* platform_;
  std::string path_;
  bool fail_;
};

std::string FakePlatform::Normal(const std::string& path) {
  std::string p = path;
  while (p.size() > 2 && p.compare(0, 2, "./") == 0) p.erase(0, 2);
  return p;
}

bool FakePlatform::IsHidden(const std::string& path) const {
  size_t slash = path.rfind('/');
  size_t start = slash == std::string::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == '.';
}

void FakePlatform::AddFile(const std::string& path, const std::string& data) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_[Normal(path)] = data;
}

void FakePlatform::RemoveFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.erase(Normal(path));
}

bool FakePlatform::HasFile(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.count(Normal(path)) != 0;
}

std::string FakePlatform::FileData(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = files_.find(Normal(path));
  return it == files_.end() ? std::string() : it->second;
}

void FakePlatform::AddDirectory(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  directories_.insert(Normal(path));
}

void FakePlatform::MakeUnreadable(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  unreadable_.insert(Normal(path));
}

void FakePlatform::FailWritesTo(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  failing_writes_.insert(Normal(path));
}

void FakePlatform::FailDeleteOf(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  failing_deletes_.insert(Normal(path));
}

void FakePlatform::FailMoveOf(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  failing_moves_.insert(Normal(path));
}

void FakePlatform::QueueKey(int key, int after_polls) {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.emplace_back(key, after_polls);
}

void FakePlatform::FailCall(FakeCall call, int occurrence) {
  std::lock_guard<std::mutex> lock(mutex_);
  failing_calls_.insert({call, occurrence});
}

bool FakePlatform::Fails(FakeCall call) {
  return failing_calls_.count({call, ++call_counts_[call]}) != 0;
}

FakeCall FakePlatform::NextRead() {
  // A short read is a read that goes wrong in another way: both count the
  // same calls.
  int read = ++call_counts_[FakeCall::kRead];
  for (FakeCall fault : {FakeCall::kRead, FakeCall::kShortRead}) {
    if (failing_calls_.count({fault, read}) != 0) return fault;
  }
  return FakeCall::kOpen;  // nothing goes wrong
}

int FakePlatform::call_count(FakeCall call) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it =
      call_counts_.find(call == FakeCall::kShortRead ? FakeCall::kRead : call);
  return it == call_counts_.end() ? 0 : it->second;
}

std::vector<std::string> FakePlatform::AllFiles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> paths;
  for (const auto& entry : files_) paths.push_back(entry.first);
  return paths;
}

int FakePlatform::open_count(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = open_counts_.find(Normal(path));
  return it == open_counts_.end() ? 0 : it->second;
}

std::string FakePlatform::DirectoryPart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<std::string> FakePlatform::FindFiles(const std::string& mask) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Fails(FakeCall::kFind)) return {};
  std::string m = Normal(mask);
  size_t slash = m.rfind('/');
  std::string dir = slash == std::string::npos ? "" : m.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? m : m.substr(slash + 1);
  if (pattern.empty()) pattern = "*";
  std::vector<std::string> names;
  for (const auto& [path, data] : files_) {
    if (path.size() <= dir.size() || path.compare(0, dir.size(), dir) != 0) {
      continue;
    }
    std::string name = path.substr(dir.size());
    if (name.find('/') != std::string::npos || name[0] == '.') continue;
    if (MaskMatches(pattern, name)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool FakePlatform::FileExists(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string n = Normal(name);
  return files_.count(n) != 0 && !IsHidden(n);
}

bool FakePlatform::SameFile(const std::string& a, const std::string& b) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string na = Normal(a);
  return na == Normal(b) && files_.count(na) != 0;
}

std::unique_ptr<ReadableFile> FakePlatform::OpenForReading(
    const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string n = Normal(name);
  ++open_counts_[n];
  auto it = files_.find(n);
  if (Fails(FakeCall::kOpen) || it == files_.end() ||
      unreadable_.count(n) != 0) {
    return nullptr;
  }
  return std::make_unique<FakeReadableFile>(this, it->second);
}

std::unique_ptr<InputStream> FakePlatform::OpenInputStream(
    const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string n = Normal(name);
  ++open_counts_[n];
  auto it = files_.find(n);
  if (Fails(FakeCall::kOpen) || it == files_.end() ||
      unreadable_.count(n) != 0) {
    return nullptr;
  }
  return std::make_unique<FakeInputStream>(this, it->second);
}

std::unique_ptr<InputStream> FakePlatform::StandardInput() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::make_unique<FakeInputStream>(this, stdin_);
}

std::vector<size_t> FakePlatform::output_at_stream_reads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return output_at_stream_reads_;
}

bool FakePlatform::ReadWholeFile(const std::string& name, std::string* data) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string n = Normal(name);
  ++open_counts_[n];
  auto it = files_.find(n);
  if (Fails(FakeCall::kOpen) || it == files_.end() ||
      unreadable_.count(n) != 0) {
    return false;
  }
  FakeCall fault = NextRead();
  if (fault == FakeCall::kRead) return false;
  *data = it->second;
  if (fault == FakeCall::kShortRead) data->resize(data->size() / 2);
  return true;
}

std::unique_ptr<WritableFile> FakePlatform::CreateTemporaryBeside(
    const std::string& target, std::string* temp_name) {
  std::string directory = DirectoryPart(target);
  std::lock_guard<std::mutex> lock(mutex_);
  // Temporaries of killed runs: every one of ours that nobody writes now.
  std::string prefix = Normal(directory + kTemporaryPrefix);
  for (auto it = files_.lower_bound(prefix);
       it != files_.end() && it->first.starts_with(prefix);) {
    bool stale = it->first.find('/', prefix.size()) == std::string::npos &&
                 live_temporaries_.count(it->first) == 0;
    it = stale ? files_.erase(it) : std::next(it);
  }
  if (Fails(FakeCall::kCreate) || failing_writes_.count(Normal(target)) != 0) {
    return nullptr;
  }
  *temp_name = NewTemporary(directory);
  files_[*temp_name].clear();
  return std::make_unique<FakeWritableFile>(this, *temp_name, false);
}

std::string FakePlatform::NewTemporary(const std::string& directory) {
  std::string name = Normal(directory + kTemporaryPrefix + "fake-" +
                            std::to_string(++temporary_serial_) + ".tmp");
  live_temporaries_.insert(name);
  return name;
}

bool FakePlatform::LinkTemporaryBeside(const std::string& file,
                                       const std::string& target,
                                       std::string* temp_name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = files_.find(Normal(file));
  if (Fails(FakeCall::kLink) || it == files_.end()) return false;
  const std::string data = it->second;
  *temp_name = NewTemporary(DirectoryPart(target));
  files_[*temp_name] = data;
  return true;
}

std::vector<std::string> FakePlatform::LeftTemporaries(
    const std::string& directory) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> paths;
  const std::string prefix = Normal(directory + kTemporaryPrefix);
  for (auto it = files_.lower_bound(prefix);
       it != files_.end() && it->first.starts_with(prefix); ++it) {
    if (it->first.find('/', prefix.size()) == std::string::npos &&
        live_temporaries_.count(it->first) == 0) {
      paths.push_back(it->first);
    }
  }
  return paths;
}

bool FakePlatform::ReplaceFile(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string f = Normal(from);
  std::string t = Normal(to);
  auto it = files_.find(f);
  if (Fails(FakeCall::kRename) || it == files_.end() ||
      directories_.count(t) != 0) {
    return false;
  }
  std::string data = std::move(it->second);
  files_.erase(it);
  files_[t] = std::move(data);
  live_temporaries_.erase(f);
  return true;
}

bool FakePlatform::NameTooLong(const std::string& name) {
  constexpr size_t kPartLimit = 255;
  size_t start = 0;
  for (size_t slash; (slash = name.find('/', start)) != std::string::npos;
       start = slash + 1) {
    if (slash - start > kPartLimit) return true;
  }
  return name.size() - start > kPartLimit;
}

bool FakePlatform::DeleteFile(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string n = Normal(name);
  if (Fails(FakeCall::kDelete) || failing_deletes_.count(n) != 0) {
    return false;
  }
  live_temporaries_.erase(n);
  return files_.erase(n) != 0;
}

bool FakePlatform::MoveFile(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string f = Normal(from);
  std::string t = Normal(to);
  if (Fails(FakeCall::kMove) || failing_moves_.count(f) != 0) return false;
  auto it = files_.find(f);
  if (it == files_.end() || files_.count(t) != 0 || directories_.count(t)) {
    return false;
  }
  std::string data = it->second;
  files_.erase(it);
  files_[t] = data;
  return true;
}

bool FakePlatform::WriteReport(std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Fails(FakeCall::kReport)) return false;
  }
  Write(text);
  return true;
}

void FakePlatform::WriteError(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_output_.append(text);
}

void FakePlatform::Write(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  output_.append(text);
  screen_log_.append(text);
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      column_ = 0;
    } else {
      ++column_;
    }
  }
}

void FakePlatform::MoveToColumn(int column) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!terminal_) return;
  column_ = column;
  screen_log_ += "{col " + std::to_string(column) + "}";
}

void FakePlatform::SetCursorVisible(bool visible) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!terminal_) return;
  screen_log_ += visible ? "{show}" : "{hide}";
}

int FakePlatform::PollKey() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++poll_count_;
  if (keys_.empty()) return kNoKey;
  if (keys_.front().second > 0) {
    --keys_.front().second;
    return kNoKey;
  }
  int key = keys_.front().first;
  keys_.pop_front();
  return key;
}

}  // namespace mavoscan
