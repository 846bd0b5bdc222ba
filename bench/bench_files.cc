#include "bench_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace mavoscan {
namespace {

std::string SystemError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Closes a descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Reads the whole file into buffer[0..], growing it when needed; *size gets
// the number of bytes read.
bool ReadInto(const std::string& path, std::vector<char>* buffer, size_t* size,
              std::string* err) {
  Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    *err = SystemError("cannot open", path);
    return false;
  }
  *size = 0;
  for (;;) {
    if (*size == buffer->size()) buffer->resize(buffer->size() * 2 + 65536);
    ssize_t got =
        read(fd.get(), buffer->data() + *size, buffer->size() - *size);
    if (got < 0) {
      if (errno == EINTR) continue;
      *err = SystemError("cannot read", path);
      return false;
    }
    if (got == 0) return true;
    *size += static_cast<size_t>(got);
  }
}

}  // namespace

double MonotonicSeconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) +
         static_cast<double>(now.tv_nsec) * 1e-9;
}

bool WriteBytes(const std::string& path, std::string_view data,
                std::string* err) {
  Descriptor fd(
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    *err = SystemError("cannot create", path);
    return false;
  }
  if (!WriteAll(fd.get(), data.data(), data.size())) {
    *err = SystemError("cannot write", path);
    return false;
  }
  if (!fd.Close()) {
    *err = SystemError("cannot close", path);
    return false;
  }
  return true;
}

bool ReadBytes(const std::string& path, std::string* data, std::string* err) {
  std::vector<char> buffer;
  size_t size = 0;
  if (!ReadInto(path, &buffer, &size, err)) return false;
  data->assign(buffer.data(), size);
  return true;
}

int64_t RegularFileSize(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool MakeDirectories(const std::string& path, std::string* err) {
  for (size_t slash = 1; slash <= path.size(); ++slash) {
    if (slash != path.size() && path[slash] != '/') continue;
    std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
      *err = SystemError("cannot create directory", prefix);
      return false;
    }
  }
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *err = "not a directory: " + path;
    return false;
  }
  return true;
}

bool RemoveFile(const std::string& path, std::string* err) {
  if (unlink(path.c_str()) != 0) {
    *err = SystemError("cannot delete", path);
    return false;
  }
  return true;
}

bool ListFiles(const std::string& dir, const std::string& mask,
               std::vector<std::string>* names, std::string* err) {
  names->clear();
  std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.c_str()), closedir);
  if (!handle) {
    *err = SystemError("cannot list", dir);
    return false;
  }
  while (dirent* entry = readdir(handle.get())) {
    std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (fnmatch(mask.c_str(), name.c_str(), FNM_PERIOD) != 0) continue;
    if (RegularFileSize(dir + "/" + name) < 0) continue;
    names->push_back(name);
  }
  std::sort(names->begin(), names->end());
  return true;
}

bool DeleteFiles(const std::string& dir, const std::string& mask,
                 std::string* err) {
  std::vector<std::string> names;
  if (!ListFiles(dir, mask, &names, err)) return false;
  for (const std::string& name : names) {
    if (!RemoveFile(dir + "/" + name, err)) return false;
  }
  return true;
}

bool CopyFile(const std::string& from, const std::string& to,
              std::string* err) {
  Descriptor in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    *err = SystemError("cannot open", from);
    return false;
  }
  Descriptor out(
      open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.get() < 0) {
    *err = SystemError("cannot create", to);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  for (;;) {
    ssize_t got = read(in.get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      *err = SystemError("cannot read", from);
      return false;
    }
    if (got == 0) break;
    if (!WriteAll(out.get(), buffer.data(), static_cast<size_t>(got))) {
      *err = SystemError("cannot write", to);
      return false;
    }
  }
  if (!out.Close()) {
    *err = SystemError("cannot close", to);
    return false;
  }
  return true;
}

bool MeasureReadFloor(const std::vector<std::string>& paths, double* seconds,
                      int64_t* bytes, std::string* err) {
  std::vector<char> buffer;
  size_t size = 0;
  for (const std::string& path : paths) {
    if (!ReadInto(path, &buffer, &size, err)) return false;
  }
  // The warm-up pass has grown the buffer to the largest file and touched
  // it, so the timed passes measure reading alone. The median of three keeps
  // one pass disturbed by other work on the machine from setting the floor.
  double times[3];
  for (double& time : times) {
    *bytes = 0;
    double start = MonotonicSeconds();
    for (const std::string& path : paths) {
      if (!ReadInto(path, &buffer, &size, err)) return false;
      *bytes += static_cast<int64_t>(size);
    }
    time = MonotonicSeconds() - start;
  }
  std::sort(std::begin(times), std::end(times));
  *seconds = times[1];
  return true;
}

}  // namespace mavoscan
