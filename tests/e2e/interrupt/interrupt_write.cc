// Preloaded into the tool by the end-to-end tests only: ends the process
// with SIGTERM at a chosen moment of writing a definition, so that the tests
// can see what an interruption leaves behind without racing a timer.
// MAVO_INTERRUPT_AT picks the moment: "write" after half of the first write
// to a temporary definition file, "rename" just before a temporary file
// takes its final name, "crash" as "write" but with SIGKILL, which leaves
// the process no chance to clean up, like a crash or a power cut.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

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

}  // namespace

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
  if (InterruptAt("rename") && NamesTemporary(from)) raise(SIGTERM);
  return next(from, to);
}
