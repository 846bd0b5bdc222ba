#include "e2e/e2e_harness.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "gtest/gtest.h"

#ifndef TOOL_BINARY
#error "TOOL_BINARY must name the built tool"
#endif
#ifndef CHECK_BINARY
#error "CHECK_BINARY must name the built checker"
#endif
#ifndef INTERRUPT_LIBRARY
#error "INTERRUPT_LIBRARY must name the test library that interrupts writes"
#endif

namespace mavoscan::e2e {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
// The child reports a failed set-up (exec, privilege drop) with this code.
constexpr int kSetUpFailed = 125;

// The words of MAVO_E2E_TOOL, or the built tool alone when it is unset.
const std::vector<std::string>& ToolCommand() {
  static const std::vector<std::string> command = [] {
    std::vector<std::string> words;
    const char* setting = getenv("MAVO_E2E_TOOL");
    std::istringstream text(setting != nullptr ? setting : "");
    for (std::string word; text >> word;) words.push_back(word);
    if (words.empty()) words.push_back(TOOL_BINARY);
    return words;
  }();
  return command;
}

// The command of the checker: the native build's, or the Windows build's
// beside the scanner of MAVO_E2E_TOOL.
std::vector<std::string> CheckerCommand() {
  std::vector<std::string> words = ToolCommand();
  std::string& program = words.back();
  constexpr std::string_view kScannerExe = "mavoscan.exe";
  if (program.ends_with(kScannerExe)) {
    program.replace(program.size() - kScannerExe.size(), kScannerExe.size(),
                    "mavocheck.exe");
  } else {
    words = {CHECK_BINARY};
  }
  return words;
}

std::vector<char*> MakeArgv(const std::vector<std::string>& args,
                            std::vector<std::string>* storage,
                            Program program = Program::kScanner) {
  storage->clear();
  *storage = program == Program::kChecker ? CheckerCommand() : ToolCommand();
  storage->insert(storage->end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : *storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  return argv;
}

void ChildFail(const char* what) {
  // Only async-signal-safe calls between fork and exec.
  ssize_t ignored = write(2, what, strlen(what));
  (void)ignored;
  _exit(kSetUpFailed);
}

// Reads what is available from `fd` into *out; false at end of file or on
// an error other than an interrupted call.
bool Drain(int fd, std::string* out) {
  char buffer[65536];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) {
    out->append(buffer, static_cast<size_t>(n));
    return true;
  }
  return n < 0 && (errno == EINTR || errno == EAGAIN);
}

int ExitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

bool WindowsTool() { return ToolCommand().back().ends_with(".exe"); }

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
      "/mavoscan-e2e-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp " << pattern << ": " << strerror(errno);
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Permissions a test took away would stop the removal.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink()) chmod(it->path().c_str(), 0700);
  }
  fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& rel, std::string_view data) const {
  fs::path p = Abs(rel);
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!f) ADD_FAILURE() << "cannot write " << p;
}

void TempDir::WriteSparse(
    const std::string& rel, int64_t size,
    const std::vector<std::pair<int64_t, std::string>>& pieces) const {
  std::string p = Abs(rel);
  int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    ADD_FAILURE() << "cannot create " << p;
    return;
  }
  bool ok = ftruncate(fd, size) == 0;
  for (const auto& [offset, bytes] : pieces) {
    ok = ok && pwrite(fd, bytes.data(), bytes.size(), offset) ==
                   static_cast<ssize_t>(bytes.size());
  }
  ok = close(fd) == 0 && ok;
  if (!ok) ADD_FAILURE() << "cannot write " << p;
}

std::string TempDir::Read(const std::string& rel) const {
  std::ifstream f(Abs(rel), std::ios::binary);
  if (!f) {
    ADD_FAILURE() << "cannot read " << rel;
    return {};
  }
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool TempDir::Exists(const std::string& rel) const {
  struct stat st;
  return lstat(Abs(rel).c_str(), &st) == 0;
}

bool TempDir::IsDirectory(const std::string& rel) const {
  struct stat st;
  return lstat(Abs(rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void TempDir::MakeDir(const std::string& rel) const {
  std::error_code ec;
  fs::create_directories(Abs(rel), ec);
  if (ec) ADD_FAILURE() << "cannot make " << rel << ": " << ec.message();
}

void TempDir::Symlink(const std::string& target, const std::string& rel) const {
  if (symlink(target.c_str(), Abs(rel).c_str()) != 0) {
    ADD_FAILURE() << "cannot link " << rel << ": " << strerror(errno);
  }
}

void TempDir::MakeFifo(const std::string& rel) const {
  if (mkfifo(Abs(rel).c_str(), 0644) != 0) {
    ADD_FAILURE() << "cannot make fifo " << rel << ": " << strerror(errno);
  }
}

void TempDir::Remove(const std::string& rel) const {
  std::error_code ec;
  fs::remove_all(Abs(rel), ec);
}

void TempDir::Chmod(const std::string& rel, mode_t mode) const {
  if (chmod(Abs(rel).c_str(), mode) != 0) {
    ADD_FAILURE() << "cannot chmod " << rel << ": " << strerror(errno);
  }
}

std::vector<std::string> TempDir::List(const std::string& rel) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(Abs(rel), ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

RunResult TempDir::Run(const std::vector<std::string>& args,
                       const RunSettings& settings) const {
  RunResult result;
  std::vector<std::string> storage;
  std::vector<char*> argv = MakeArgv(args, &storage, settings.program);
  int out_pipe[2];
  int err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << strerror(errno);
    return result;
  }
  bool drop = settings.drop_root && geteuid() == 0;
  if (drop && WindowsTool()) {
    // Wine refuses to run in a prefix that belongs to another user.
    result.exit_code = kSetUpFailed;
    result.err = "the Windows build cannot run as another user under Wine";
    return result;
  }
  result.started = time(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd < 0 || dup2(null_fd, 0) < 0 || dup2(out_pipe[1], 1) < 0 ||
        dup2(err_pipe[1], 2) < 0) {
      ChildFail("cannot set up the standard files\n");
    }
    if (settings.output == StandardOutput::kFull) {
      const int full_fd = open("/dev/full", O_WRONLY);
      if (full_fd < 0 || dup2(full_fd, 1) < 0) ChildFail("no /dev/full\n");
    } else if (settings.output == StandardOutput::kClosed) {
      close(1);
    }
    if (settings.address_space_limit > 0) {
      struct rlimit limit;
      limit.rlim_cur = limit.rlim_max = settings.address_space_limit;
      if (setrlimit(RLIMIT_AS, &limit) != 0) ChildFail("cannot limit\n");
    }
    if (chdir(path_.c_str()) != 0) ChildFail("cannot enter the directory\n");
    if (drop && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                 setuid(kNobody) != 0)) {
      ChildFail("cannot drop root privileges\n");
    }
    if (settings.ignore_file_size_signal) signal(SIGXFSZ, SIG_IGN);
    if (settings.file_size_limit > 0) {
      struct rlimit limit;
      limit.rlim_cur = limit.rlim_max = settings.file_size_limit;
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) ChildFail("cannot limit\n");
    }
    if (!settings.interrupt_at.empty()) {
      // The sanitizers' runtime wants to be loaded first; the preloaded
      // library comes before it and does not need it.
      if (setenv("LD_PRELOAD", INTERRUPT_LIBRARY, 1) != 0 ||
          setenv("MAVO_INTERRUPT_AT", settings.interrupt_at.c_str(), 1) != 0 ||
          setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1) != 0) {
        ChildFail("cannot set the environment\n");
      }
    }
    execvp(argv[0], argv.data());
    ChildFail("cannot run the tool\n");
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << strerror(errno);
    close(out_pipe[0]);
    close(err_pipe[0]);
    return result;
  }

  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::seconds(settings.timeout_seconds);
  bool out_open = true;
  bool err_open = true;
  while (out_open || err_open) {
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    if (!out_open) fds[0].fd = -1;
    if (!err_open) fds[1].fd = -1;
    int ready = poll(fds, 2, 200);
    if (ready < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) out_open = Drain(out_pipe[0], &result.out);
    if (fds[1].revents != 0) err_open = Drain(err_pipe[0], &result.err);
    if (std::chrono::steady_clock::now() > deadline) {
      result.timed_out = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.ended = time(nullptr);
  result.exit_code = ExitCodeOf(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

PtyResult TempDir::RunOnTerminal(const std::vector<std::string>& args,
                                 const std::vector<std::string>& triggers,
                                 PtyAction action, int timeout_seconds) const {
  PtyResult result;
  std::vector<std::string> storage;
  std::vector<char*> argv = MakeArgv(args, &storage);

  termios mode;
  memset(&mode, 0, sizeof mode);
  cfmakeraw(&mode);
  // A normal interactive terminal, but without the output translation of
  // "\n" into "\r\n", so that the bytes read are the bytes written.
  mode.c_iflag = ICRNL | IXON;
  mode.c_oflag = 0;
  mode.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN;
  mode.c_cflag = CS8 | CREAD;
  cfsetispeed(&mode, B38400);
  cfsetospeed(&mode, B38400);
  mode.c_cc[VINTR] = 3;
  mode.c_cc[VMIN] = 1;
  winsize size = {24, 80, 0, 0};
  int master = -1;
  int slave = -1;
  if (openpty(&master, &slave, nullptr, &mode, &size) != 0) {
    ADD_FAILURE() << "openpty: " << strerror(errno);
    return result;
  }
  fcntl(master, F_SETFD, FD_CLOEXEC);
  fcntl(slave, F_SETFD, FD_CLOEXEC);

  pid_t pid = fork();
  if (pid == 0) {
    if (setsid() < 0 || ioctl(slave, TIOCSCTTY, 0) != 0 || dup2(slave, 0) < 0 ||
        dup2(slave, 1) < 0 || dup2(slave, 2) < 0) {
      ChildFail("cannot attach the terminal\n");
    }
    if (chdir(path_.c_str()) != 0) ChildFail("cannot enter the directory\n");
    execvp(argv[0], argv.data());
    ChildFail("cannot run the tool\n");
  }
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << strerror(errno);
    close(master);
    close(slave);
    return result;
  }
  // The slave stays open here too, so that its mode can be read after the
  // tool has ended; the end of the tool is seen through waitpid.
  auto start = std::chrono::steady_clock::now();
  auto deadline = start + std::chrono::seconds(timeout_seconds);
  auto next_key = start;
  bool acted = false;
  int status = 0;
  bool ended = false;
  while (!ended) {
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 50) > 0) Drain(master, &result.output);
    if (waitpid(pid, &status, WNOHANG) == pid) ended = true;
    auto now = std::chrono::steady_clock::now();
    if (!result.trigger_seen) {
      for (const std::string& t : triggers) {
        if (result.output.find(t) != std::string::npos) {
          result.trigger_seen = true;
        }
      }
    }
    if (result.trigger_seen && !ended) {
      if (action == PtyAction::kSendEscape && now >= next_key) {
        ssize_t ignored = write(master, "\x1b", 1);
        (void)ignored;
        next_key = now + std::chrono::seconds(1);
      } else if (action == PtyAction::kSendInterrupt && !acted) {
        if (WindowsTool()) {
          // Wine's console turns Ctrl+C typed on the terminal into the
          // console's control event; a signal to Wine would not be one.
          ssize_t ignored = write(master, "\x03", 1);
          (void)ignored;
        } else {
          kill(pid, SIGINT);
        }
      }
      acted = true;
    }
    if (!ended && now > deadline) {
      result.timed_out = true;
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ended = true;
    }
  }
  // What the tool wrote last may still wait in the terminal's buffer.
  for (;;) {
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 100) <= 0 || !Drain(master, &result.output)) break;
  }
  termios after;
  if (tcgetattr(slave, &after) == 0) {
    result.terminal_restored =
        (after.c_lflag & ICANON) != 0 && (after.c_lflag & ECHO) != 0;
  }
  close(master);
  close(slave);
  result.exit_code = ExitCodeOf(status);
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

bool NormalizeDateTime(std::string* definition, time_t earliest, time_t latest,
                       std::string* why) {
  struct Field {
    const char* tag;
    size_t digits;
    const char* placeholder;
    int value = 0;
  };
  Field fields[] = {{"Year", 4, "YYYY"}, {"Month", 2, "MM"}, {"Day", 2, "DD"},
                    {"Hour", 2, "hh"},   {"Min", 2, "mm"},   {"Sec", 2, "ss"}};
  for (Field& field : fields) {
    std::string open = std::string("<") + field.tag + ">";
    std::string close = std::string("</") + field.tag + ">";
    size_t begin = definition->find(open);
    if (begin == std::string::npos) {
      *why = "no " + open + " element";
      return false;
    }
    begin += open.size();
    size_t end = definition->find(close, begin);
    if (end == std::string::npos || end - begin != field.digits) {
      *why = open + " value is not " + std::to_string(field.digits) +
             " digits long";
      return false;
    }
    for (size_t i = begin; i < end; ++i) {
      char c = (*definition)[i];
      if (c < '0' || c > '9') {
        *why = open + " value is not a number";
        return false;
      }
      field.value = field.value * 10 + (c - '0');
    }
    definition->replace(begin, end - begin, field.placeholder);
  }
  std::tm when = {};
  when.tm_year = fields[0].value - 1900;
  when.tm_mon = fields[1].value - 1;
  when.tm_mday = fields[2].value;
  when.tm_hour = fields[3].value;
  when.tm_min = fields[4].value;
  when.tm_sec = fields[5].value;
  when.tm_isdst = -1;
  if (fields[1].value < 1 || fields[1].value > 12 || fields[2].value < 1 ||
      fields[2].value > 31 || fields[3].value > 23 || fields[4].value > 59 ||
      fields[5].value > 60) {
    *why = "date or time field out of range";
    return false;
  }
  time_t stamp = mktime(&when);
  if (stamp < earliest - 60 || stamp > latest + 60) {
    *why = "date and time are not the time of the run";
    return false;
  }
  return true;
}

std::string FamilySample(int index, std::string_view shared) {
  std::string sample = "MVX1";
  sample += static_cast<char>(0x80 + index);
  sample += shared;
  sample += '\xff';
  sample += std::string(5, static_cast<char>('A' + index % 26));
  sample += '\xff';
  return sample;
}

}  // namespace mavoscan::e2e
