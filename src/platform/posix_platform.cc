// Samples may be 2 GiB and larger; make off_t 64-bit on 32-bit systems too.
#ifndef _FILE_OFFSET_BITS
#define _FILE_OFFSET_BITS 64
#endif

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
// Any system header has told by now whether the C library is glibc.
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/mask_match.h"
#include "common/text.h"
#include "platform/platform.h"

namespace mavoscan {
namespace {

static_assert(sizeof(off_t) >= 8, "file offsets must be 64-bit");

// Big reads and copies go in pieces of this size, so that a huge `length`
// never becomes one huge allocation before the end of the file is known.
constexpr size_t kIoChunk = size_t{1} << 20;
// How long a lone Escape byte waits for the rest of an escape sequence.
constexpr int kEscapeWaitMs = 30;
// What PollKey returns for a whole escape sequence (arrow and function keys).
constexpr int kSequenceKey = 0x100;

// Blocks from this size up are mappings of their own once
// ReturnLargeBlocksWhenFreed is called (glibc's initial threshold).
[[maybe_unused]] constexpr int kOwnMappingThreshold = 128 * 1024;

constexpr std::string_view kHideCursor = "\x1b[?25l";
constexpr std::string_view kShowCursor = "\x1b[?25h";

// Paths reach the system as C strings; a NUL inside one would silently name
// a different file.
bool UsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

bool IsHiddenName(std::string_view path) {
  size_t slash = path.rfind('/');
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return start < path.size() && path[start] == '.';
}

// The reason of the calling thread's last failed call, for FailureReason.
thread_local std::string t_failure_reason;

// Keeps errno's text as the reason of the failure about to be returned.
void KeepErrno() {
  t_failure_reason = errno != 0 ? std::strerror(errno) : std::string();
}

void KeepReason(int error) {
  errno = error;
  KeepErrno();
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    // close() is not retried on EINTR: Linux has released the descriptor
    // already and it may have been reused.
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool ClearNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

int OpenRetrying(const std::string& name, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = open(name.c_str(), flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens an existing regular file for reading. O_NONBLOCK keeps open() from
// waiting for a writer when the name is a FIFO; the stat() first keeps us
// from opening devices at all, and fstat() closes the race with a rename.
int OpenRegularForReading(const std::string& name) {
  struct stat st;
  if (!UsablePath(name)) {
    KeepReason(ENOENT);
    return -1;
  }
  if (stat(name.c_str(), &st) != 0) {
    KeepErrno();
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    // Of the system's texts, "Invalid argument" says least wrongly that a
    // device or FIFO is no file to read.
    KeepReason(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return -1;
  }
  UniqueFd fd(OpenRetrying(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.Valid() || fstat(fd.Get(), &st) != 0 || !ClearNonBlocking(fd.Get())) {
    KeepErrno();
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    KeepReason(EINVAL);
    return -1;
  }
  return fd.Release();
}

// Replaces *out with up to `length` bytes from `offset`, fewer only at the
// end of the file. Interrupted and short reads are retried.
bool ReadFully(int fd, int64_t offset, size_t length, std::string* out) {
  // What *out holds is overwritten, not cleared first: growing a cleared
  // string would fill it with zeros just before the read does.
  if (offset < 0) {
    out->clear();
    return false;
  }
  uint64_t room = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) -
                  static_cast<uint64_t>(offset);
  if (length > room) length = static_cast<size_t>(room);
  size_t got = 0;
  while (got < length) {
    size_t want = std::min(length - got, kIoChunk);
    if (out->size() < got + want) out->resize(got + want);
    ssize_t n = pread(fd, out->data() + got, want,
                      static_cast<off_t>(offset + static_cast<int64_t>(got)));
    if (n < 0) {
      if (errno == EINTR) continue;
      KeepErrno();
      out->clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  out->resize(got);
  return true;
}

// Writes every byte, retrying interrupted and short writes.
bool WriteAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // A console handed to us in non-blocking mode: wait until it drains.
        pollfd pfd{fd, POLLOUT, 0};
        if (poll(&pfd, 1, -1) < 0 && errno != EINTR) return false;
        continue;
      }
      return false;
    }
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SyncRetrying(int fd) {
  int result;
  do {
    result = fsync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

class PosixReadableFile : public ReadableFile {
 public:
  explicit PosixReadableFile(int fd) : fd_(fd) {}

  int64_t Size() override {
    struct stat st;
    // The descriptor is open and regular; fstat fails only on a broken file
    // system, where an empty file is the safe answer.
    if (fstat(fd_.Get(), &st) != 0) return 0;
    return static_cast<int64_t>(st.st_size);
  }

  bool ReadAt(int64_t offset, size_t length, std::string* out) override {
    return ReadFully(fd_.Get(), offset, length, out);
  }

 private:
  UniqueFd fd_;
};

class PosixInputStream : public InputStream {
 public:
  // `owned` says whether the descriptor is closed with the stream.
  PosixInputStream(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~PosixInputStream() override {
    if (owned_) close(fd_);
  }
  PosixInputStream(const PosixInputStream&) = delete;
  PosixInputStream& operator=(const PosixInputStream&) = delete;

  bool Read(size_t length, std::string* out) override {
    out->resize(std::min(length, kIoChunk));
    for (;;) {
      const ssize_t n = read(fd_, out->data(), out->size());
      if (n >= 0) {
        out->resize(static_cast<size_t>(n));
        return true;
      }
      if (errno == EINTR) continue;
      KeepErrno();
      out->clear();
      return false;
    }
  }

 private:
  int fd_;
  bool owned_;
};

class PosixWritableFile : public WritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}

  bool Append(std::string_view data) override {
    if (!fd_.Valid() || failed_) return false;
    if (!WriteAll(fd_.Get(), data)) {
      KeepErrno();
      failed_ = true;
    }
    return !failed_;
  }

  // The reason of an earlier failed Append stays the one reported.
  bool Close() override {
    if (!fd_.Valid()) return false;
    bool ok = !failed_;
    // A failed sync means data may be lost.
    if (!SyncRetrying(fd_.Get())) {
      if (ok) KeepErrno();
      ok = false;
    }
    if (close(fd_.Release()) != 0) {
      if (ok) KeepErrno();
      ok = false;
    }
    return ok;
  }

 private:
  UniqueFd fd_;
  bool failed_ = false;
};

// Renames without ever replacing `to`. Returns 0 or the errno value.
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
              RENAME_NOREPLACE) == 0) {
    return 0;
  }
  // ENOSYS: an old kernel; EINVAL: a file system without the flag.
  if (errno != ENOSYS && errno != EINVAL) return errno;
#endif
  // link() refuses an existing target, so link plus unlink cannot clobber.
  if (link(from.c_str(), to.c_str()) == 0) {
    if (unlink(from.c_str()) == 0) return 0;
    int error = errno;
    unlink(to.c_str());
    return error;
  }
  int error = errno;
  if (error != EPERM && error != EMLINK && error != ENOTSUP &&
      error != EOPNOTSUPP && error != ENOSYS) {
    return error;
  }
  // A file system without hard links: rename after one more look, which
  // leaves only a tiny window for a target that appears meanwhile.
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return EEXIST;
  return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Moves a file to another file system: copy, sync, then delete the source.
// On any failure the partial copy goes and the source stays. Returns 0 or
// the errno value.
int CopyThenDelete(const std::string& from, const std::string& to) {
  UniqueFd in(OpenRegularForReading(from));
  struct stat st;
  if (!in.Valid() || fstat(in.Get(), &st) != 0) return errno;
  UniqueFd out(OpenRetrying(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                            st.st_mode & 0777));
  if (!out.Valid()) return errno;
  bool ok = true;
  std::string buffer;
  for (int64_t offset = 0; ok; offset += static_cast<int64_t>(buffer.size())) {
    ok = ReadFully(in.Get(), offset, kIoChunk, &buffer) &&
         WriteAll(out.Get(), buffer);
    if (buffer.empty()) break;
  }
  ok = ok && SyncRetrying(out.Get());
  if (close(out.Release()) != 0) ok = false;
  if (ok && unlink(from.c_str()) == 0) return 0;
  int error = errno;
  unlink(to.c_str());
  return error != 0 ? error : EIO;
}

// The terminal state is process-wide, like the terminal itself: the signal
// and exit handlers must reach it without an object. Flags are written in
// normal code only; the handlers just read them.
volatile sig_atomic_t g_cursor_hidden = 0;
volatile sig_atomic_t g_key_mode = 0;
termios g_saved_termios;
bool g_handlers_installed = false;

// The definition's temporary file while it exists, for the signal handler
// to remove. Set in normal code only, path before flag.
char g_temporary[PATH_MAX];
volatile sig_atomic_t g_temporary_set = 0;

void WriteIgnoringErrors(std::string_view text) {
  // Nothing sensible can be done when the console itself fails.
  static_cast<void>(WriteAll(STDOUT_FILENO, text));
}

// Async-signal-safe: write() and tcsetattr() only.
void RestoreTerminal() {
  if (g_cursor_hidden) {
    ssize_t ignored =
        write(STDOUT_FILENO, kShowCursor.data(), kShowCursor.size());
    static_cast<void>(ignored);
  }
  if (g_key_mode) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
}

void RestoreAtExit() {
  RestoreTerminal();
  g_cursor_hidden = 0;
  g_key_mode = 0;
}

void RestoreOnSignal(int signal_number) {
  int saved_errno = errno;
  if (g_temporary_set) unlink(g_temporary);
  RestoreTerminal();
  // SA_RESETHAND has put the default action back and the signal is blocked
  // while we run, so the re-raised signal ends the process as soon as we
  // return, with the signal's own exit status.
  raise(signal_number);
  errno = saved_errno;
}

void InstallRestoreHandlers() {
  if (g_handlers_installed) return;
  g_handlers_installed = true;
  std::atexit(RestoreAtExit);
  // A hang-up or the file-size limit ends a run as surely as Ctrl+C does,
  // and must not leave a temporary file behind either.
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
    struct sigaction old_action;
    if (sigaction(signal_number, nullptr, &old_action) != 0) continue;
    // Ignored signals (nohup, background jobs) stay ignored, and a handler
    // someone else installed stays theirs.
    if (old_action.sa_handler != SIG_DFL) continue;
    struct sigaction action = {};
    action.sa_handler = RestoreOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signal_number, &action, nullptr);
  }
}

// Non-canonical, no echo, reads that never wait. Signals (Ctrl+C) stay on.
bool EnterKeyMode() {
  termios mode;
  if (tcgetattr(STDIN_FILENO, &mode) != 0) return false;
  g_saved_termios = mode;
  // The handlers must see the saved mode before they see the flag.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  InstallRestoreHandlers();
  mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  mode.c_cc[VMIN] = 0;
  mode.c_cc[VTIME] = 0;
  // Flag first: a signal between the two lines then restores a mode that
  // was never changed, which is harmless.
  g_key_mode = 1;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &mode) != 0) {
    g_key_mode = 0;
    return false;
  }
  return true;
}

void SetTemporary(const std::string& path) {
  std::memcpy(g_temporary, path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  g_temporary_set = 1;
  InstallRestoreHandlers();
}

// Called once `path` is gone or renamed: a signal after this must not
// remove a file of that name.
void ForgetTemporary(const std::string& path) {
  if (g_temporary_set && path == g_temporary) g_temporary_set = 0;
}

// Temporary files are named kTemporaryPrefix, the writer's process id, "-"
// and a serial number. One whose process is gone was left by a killed run.
bool StaleTemporary(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return false;
  name.remove_prefix(std::strlen(kTemporaryPrefix));
  size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9) return false;
  pid_t pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return false;
    pid = pid * 10 + (c - '0');
  }
  return pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveStaleTemporaries(const std::string& directory) {
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return;
  int dir_fd = dirfd(dir);
  while (const dirent* entry = readdir(dir)) {
    struct stat st;
    if (StaleTemporary(entry->d_name) &&
        fstatat(dir_fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode)) {
      unlinkat(dir_fd, entry->d_name, 0);
    }
  }
  closedir(dir);
}

// Makes the entries of a directory durable; some file systems cannot sync
// a directory, and there the rename is as durable as it gets.
void SyncDirectory(const std::string& directory) {
  UniqueFd fd(OpenRetrying(directory.empty() ? "." : directory,
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) SyncRetrying(fd.Get());
}

bool ReadKeyByte(int timeout_ms, unsigned char* byte) {
  pollfd pfd{STDIN_FILENO, POLLIN, 0};
  if (poll(&pfd, 1, timeout_ms) <= 0 || (pfd.revents & POLLIN) == 0) {
    return false;
  }
  return read(STDIN_FILENO, byte, 1) == 1;
}

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument(argv[i]);
    if (i > 1) text += ' ';
    // Quoting only what holds a separator keeps every other byte, a double
    // quote included, exactly as typed, so the quote-count check sees it.
    bool quote =
        argument.empty() || argument.find_first_of(" \t") != argument.npos;
    if (quote) text += '"';
    text += argument;
    if (quote) text += '"';
  }
  return text;
}

// Gives each closed standard descriptor /dev/null and returns true when
// standard output was closed. Otherwise the next file opened would take the
// free number, and console text would land in it (a definition being
// written, say).
bool ReserveStandardDescriptors() {
  bool output_closed = false;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == STDOUT_FILENO) output_closed = true;
    const int opened = OpenRetrying("/dev/null", O_RDWR);
    // The lowest free number is taken, which is `fd`: the lower ones are
    // open by now.
    if (opened >= 0 && opened != fd) close(opened);
  }
  return output_closed;
}

std::vector<std::string> ArgumentList(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

class PosixPlatform : public Platform {
 public:
  PosixPlatform(int argc, char** argv)
      : command_line_(JoinArguments(argc, argv)),
        arguments_(ArgumentList(argc, argv)),
        stdout_closed_(ReserveStandardDescriptors()),
        stdout_is_terminal_(isatty(STDOUT_FILENO) == 1),
        stdin_is_terminal_(isatty(STDIN_FILENO) == 1) {}

  ~PosixPlatform() override {
    if (g_cursor_hidden) SetCursorVisible(true);
    if (g_key_mode) {
      tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
      g_key_mode = 0;
    }
  }

  std::string FailureReason() override { return t_failure_reason; }

  std::string CommandLineText() override { return command_line_; }

  std::vector<std::string> Arguments() override { return arguments_; }

  std::string DirectoryPart(const std::string& path) override {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string()
                                      : path.substr(0, slash + 1);
  }

  std::vector<std::string> FindFiles(const std::string& mask) override {
    std::vector<std::string> names;
    size_t slash = mask.rfind('/');
    std::string directory =
        slash == std::string::npos ? "." : mask.substr(0, slash + 1);
    std::string pattern =
        slash == std::string::npos ? mask : mask.substr(slash + 1);
    if (pattern.empty()) {
      if (slash == std::string::npos) return names;
      pattern.assign(1, '*');  // "dir/" stands for every file of dir
    }
    if (!UsablePath(directory)) return names;

    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) return names;
    int dir_fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
      std::string_view name(entry->d_name);
      if (name.empty() || name[0] == '.') continue;
      if (!MaskMatches(pattern, name)) continue;
      if (entry->d_type != DT_REG) {
        // Links are followed; file systems that give no type need a stat.
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        struct stat st;
        if (fstatat(dir_fd, entry->d_name, &st, 0) != 0 ||
            !S_ISREG(st.st_mode)) {
          continue;
        }
      }
      names.emplace_back(name);
    }
    closedir(dir);
    // std::string compares as unsigned bytes, so this is byte order.
    std::sort(names.begin(), names.end());
    return names;
  }

  bool FileExists(const std::string& name) override {
    struct stat st;
    return UsablePath(name) && !IsHiddenName(name) &&
           stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  bool NameTooLong(const std::string& name) override {
    if (name.size() >= PATH_MAX) return true;
    size_t start = 0;
    for (size_t slash; (slash = name.find('/', start)) != std::string::npos;
         start = slash + 1) {
      if (slash - start > NAME_MAX) return true;
    }
    if (name.size() - start > NAME_MAX) return true;
    // Links can make a short name long.
    struct stat st;
    return UsablePath(name) && lstat(name.c_str(), &st) != 0 &&
           errno == ENAMETOOLONG;
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat st_a;
    struct stat st_b;
    return UsablePath(a) && UsablePath(b) && stat(a.c_str(), &st_a) == 0 &&
           stat(b.c_str(), &st_b) == 0 && st_a.st_dev == st_b.st_dev &&
           st_a.st_ino == st_b.st_ino;
  }

  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override {
    int fd = OpenRegularForReading(name);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixReadableFile>(fd);
  }

  std::unique_ptr<InputStream> OpenInputStream(
      const std::string& name) override {
    struct stat st;
    if (!UsablePath(name)) {
      KeepReason(ENOENT);
      return nullptr;
    }
    if (stat(name.c_str(), &st) != 0) {
      KeepErrno();
      return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
      KeepReason(EISDIR);
      return nullptr;
    }
    const int fd = OpenRetrying(name, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      KeepErrno();
      return nullptr;
    }
    return std::make_unique<PosixInputStream>(fd, /*owned=*/true);
  }

  std::unique_ptr<InputStream> StandardInput() override {
    return std::make_unique<PosixInputStream>(STDIN_FILENO, /*owned=*/false);
  }

  bool ReadWholeFile(const std::string& name, std::string* data) override {
    data->clear();
    UniqueFd fd(OpenRegularForReading(name));
    struct stat st;
    if (!fd.Valid()) return false;
    if (fstat(fd.Get(), &st) != 0) {
      KeepErrno();
      return false;
    }
    // The size is only a hint: the file may grow or shrink meanwhile, so we
    // read until the end regardless.
    if (st.st_size > 0 &&
        static_cast<uint64_t>(st.st_size) < data->max_size()) {
      data->reserve(static_cast<size_t>(st.st_size) + 1);
    }
    return ReadFully(fd.Get(), 0, std::numeric_limits<size_t>::max(), data);
  }

  std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string* temp_name) override {
    if (!UsablePath(target)) {
      KeepReason(ENOENT);
      return nullptr;
    }
    std::string directory = DirectoryPart(target);
    RemoveStaleTemporaries(directory);
    std::string stem =
        directory + kTemporaryPrefix + std::to_string(getpid()) + "-";
    // O_EXCL: a name someone else took meanwhile is never written into.
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = stem + std::to_string(++temporary_serial_) + ".tmp";
      if (name.size() >= sizeof(g_temporary)) {
        KeepReason(ENAMETOOLONG);
        return nullptr;
      }
      int fd = OpenRetrying(
          name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        KeepErrno();
        return nullptr;
      }
      SetTemporary(name);
      *temp_name = name;
      return std::make_unique<PosixWritableFile>(fd);
    }
    KeepReason(EEXIST);
    return nullptr;
  }

  bool ReplaceFile(const std::string& from, const std::string& to) override {
    if (!UsablePath(from) || !UsablePath(to)) {
      KeepReason(ENOENT);
      return false;
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
      KeepErrno();
      return false;
    }
    ForgetTemporary(from);
    SyncDirectory(DirectoryPart(to));
    return true;
  }

  bool DeleteFile(const std::string& name) override {
    if (!UsablePath(name)) {
      KeepReason(ENOENT);
      return false;
    }
    if (unlink(name.c_str()) != 0) {
      KeepErrno();
      return false;
    }
    ForgetTemporary(name);
    return true;
  }

  bool MoveFile(const std::string& from, const std::string& to) override {
    if (!UsablePath(from) || !UsablePath(to)) {
      KeepReason(ENOENT);
      return false;
    }
    struct stat st;
    // A dangling link counts as existing too: renaming over it would lose it.
    if (lstat(to.c_str(), &st) == 0) {
      KeepReason(EEXIST);
      return false;
    }
    if (errno != ENOENT) {
      KeepErrno();
      return false;
    }
    int error = RenameNoReplace(from, to);
    if (error == EXDEV) error = CopyThenDelete(from, to);
    if (error != 0) KeepReason(error);
    return error == 0;
  }

  LocalTime Now() override {
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
  }

  void ReturnLargeBlocksWhenFreed() override {
#if defined(__GLIBC__)
    // glibc raises its threshold for mapping a block of its own to the size
    // of the largest block freed so far, and keeps later blocks of that
    // size in its heaps, where freed memory stays with the process; a fixed
    // threshold keeps each large block a mapping of its own.
    mallopt(M_MMAP_THRESHOLD, kOwnMappingThreshold);
#endif
  }

  void Write(std::string_view text) override {
    WriteIgnoringErrors(text);
    for (char c : text) {
      column_ = (c == '\r' || c == '\n') ? 0 : column_ + 1;
    }
  }

  bool WriteReport(std::string_view text) override {
    if (stdout_closed_) {
      KeepReason(EBADF);
      return false;
    }
    if (!WriteAll(STDOUT_FILENO, text)) {
      KeepErrno();
      return false;
    }
    for (char c : text) {
      column_ = (c == '\r' || c == '\n') ? 0 : column_ + 1;
    }
    return true;
  }

  void WriteError(std::string_view text) override {
    static_cast<void>(WriteAll(STDERR_FILENO, text));
  }

  bool ConsoleIsTerminal() override { return stdout_is_terminal_; }

  int CursorColumn() override { return column_; }

  void MoveToColumn(int column) override {
    if (!stdout_is_terminal_) return;
    column = std::max(column, 0);
    std::string move = "\r";
    if (column > 0) move += "\x1b[" + std::to_string(column) + "C";
    WriteIgnoringErrors(move);
    column_ = column;
  }

  void SetCursorVisible(bool visible) override {
    if (!stdout_is_terminal_) return;
    if (visible) {
      WriteIgnoringErrors(kShowCursor);
      g_cursor_hidden = 0;
    } else {
      InstallRestoreHandlers();
      // Flag first, so that a signal right now shows the cursor again.
      g_cursor_hidden = 1;
      WriteIgnoringErrors(kHideCursor);
    }
  }

  int PollKey() override {
    if (!stdin_is_terminal_) return kNoKey;
    // A background job must leave the terminal alone: changing its mode or
    // reading from it would stop the process (SIGTTOU, SIGTTIN).
    if (tcgetpgrp(STDIN_FILENO) != getpgrp()) return kNoKey;
    if (!g_key_mode && !EnterKeyMode()) {
      stdin_is_terminal_ = false;
      return kNoKey;
    }
    unsigned char byte;
    if (!ReadKeyByte(0, &byte)) return kNoKey;
    if (byte != kEscapeKey) return byte;
    if (!ReadKeyByte(kEscapeWaitMs, &byte)) return kEscapeKey;
    // Escape pressed twice in quick succession is still Escape.
    if (byte == kEscapeKey) return kEscapeKey;
    SkipEscapeSequenceRest(byte);
    return kSequenceKey;
  }

 private:
  // Consumes the rest of a sequence that began with Escape and `first`:
  // "[" parameters and a final byte (CSI), "O" and one byte (SS3), or
  // nothing more (Alt with a key). Stops early when no byte is waiting.
  static void SkipEscapeSequenceRest(unsigned char first) {
    unsigned char byte;
    if (first == 'O') {
      ReadKeyByte(0, &byte);
    } else if (first == '[') {
      while (ReadKeyByte(0, &byte)) {
        if (byte >= 0x40 && byte <= 0x7e) break;
      }
    }
  }

  std::string command_line_;
  std::vector<std::string> arguments_;
  bool stdout_closed_;
  bool stdout_is_terminal_;
  bool stdin_is_terminal_;
  int column_ = 0;
  int temporary_serial_ = 0;
};

}  // namespace

std::unique_ptr<Platform> CreatePlatform(int argc, char** argv) {
  return std::make_unique<PosixPlatform>(argc, argv);
}

}  // namespace mavoscan
