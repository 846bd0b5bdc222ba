// Preloaded into the tool by the end-to-end tests only: ends the process
// at a chosen moment of writing a definition, so that the tests can see what
// an interruption leaves behind without racing a timer.
// MAVO_INTERRUPT_AT picks the moment: "create" with SIGTERM right after a
// temporary file is created; "write" with SIGTERM after half of the first
// write to a temporary definition file; "crash" as "write" but with SIGKILL,
// which leaves the process no chance to clean up, like a crash or a power
// cut; "rename" with SIGTERM just before the first rename of a temporary
// file to its final name; "between renames" with SIGKILL just before the
// second one, when the backup has taken its new file and the definition
// not yet its name.

// The system's open() may be a fortified inline wrapper; here it must be the
// plain function, so that this library's own one takes its place.
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kTemporaryPrefix[] = ".mavoscan-";

bool InterruptAt(const char* moment) {
  const char* chosen = getenv("MAVO_INTERRUPT_AT");
  return chosen != nullptr && strcmp(chosen, moment) == 0;
}

bool NamesTemporary(const char* path) {
  const char* slash = strrchr(path, '/');
  const char* name = slash == nullptr ? path : slash + 1;
  return strncmp(name, kTemporaryPrefix, sizeof kTemporaryPrefix - 1) == 0;
}

bool WritesTemporary(int fd) {
  char link[64];
  char target[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  return NamesTemporary(target);
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using Open = int (*)(const char*, int, ...);

int OpenThen(Open next, const char* path, int flags, va_list rest) {
  mode_t mode = (flags & O_CREAT) != 0 ? va_arg(rest, mode_t) : 0;
  int fd = next(path, flags, mode);
  if (fd >= 0 && (flags & O_CREAT) != 0 && InterruptAt("create") &&
      NamesTemporary(path)) {
    raise(SIGTERM);
  }
  return fd;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  static Open next = Next<Open>("open");
  va_list rest;
  va_start(rest, flags);
  int fd = OpenThen(next, path, flags, rest);
  va_end(rest);
  return fd;
}

extern "C" int open64(const char* path, int flags, ...) {
  static Open next = Next<Open>("open64");
  va_list rest;
  va_start(rest, flags);
  int fd = OpenThen(next, path, flags, rest);
  va_end(rest);
  return fd;
}

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  using Write = ssize_t (*)(int, const void*, size_t);
  static Write next = Next<Write>("write");
  bool crash = InterruptAt("crash");
  if (fd > 2 && (crash || InterruptAt("write")) && WritesTemporary(fd)) {
    ssize_t written = next(fd, data, size / 2);
    raise(crash ? SIGKILL : SIGTERM);
    return written;
  }
  return next(fd, data, size);
}

extern "C" int rename(const char* from, const char* to) {
  using Rename = int (*)(const char*, const char*);
  static Rename next = Next<Rename>("rename");
  static int temporaries_renamed = 0;
  if (NamesTemporary(from)) {
    ++temporaries_renamed;
    if (InterruptAt("rename") && temporaries_renamed == 1) raise(SIGTERM);
    if (InterruptAt("between renames") && temporaries_renamed == 2) {
      raise(SIGKILL);
    }
  }
  return next(from, to);
}
