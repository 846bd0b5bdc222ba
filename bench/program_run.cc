#include "program_run.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

#include "bench_files.h"

namespace mavoscan {
namespace {

// What the child reports through the pipe when it cannot become the
// program; only async-signal-safe calls are allowed between fork and exec.
struct ChildFailure {
  int stage;
  int error;
};

constexpr const char* kStages[] = {"open /dev/null",      "create console file",
                                   "create error file",   "enter work dir",
                                   "limit address space", "start"};

[[noreturn]] void ChildFail(int pipe_fd, int stage) {
  ChildFailure failure{stage, errno};
  ssize_t ignored = write(pipe_fd, &failure, sizeof(failure));
  (void)ignored;  // nothing more can be done when even this fails
  _exit(127);
}

bool Redirect(const char* path, int flags, int target) {
  int fd = open(path, flags, 0644);
  if (fd < 0) return false;
  if (fd != target) {
    if (dup2(fd, target) < 0) return false;
    close(fd);
  }
  return true;
}

// Waits up to `seconds` for SIGCHLD (blocked by the caller). Waking up
// early is harmless: the caller polls the child again.
void AwaitChildSignal(const sigset_t& child_signal, double seconds) {
  // Bounded slices, so that even a lost signal only delays the poll.
  if (seconds > 0.2) seconds = 0.2;
  timespec wait;
  wait.tv_sec = static_cast<time_t>(seconds);
  wait.tv_nsec =
      static_cast<long>((seconds - static_cast<double>(wait.tv_sec)) * 1e9);
  sigtimedwait(&child_signal, nullptr, &wait);
}

}  // namespace

bool RunProgram(const ProgramLaunch& launch, ProgramResult* result,
                std::string* err) {
  *result = ProgramResult();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(launch.program.c_str()));
  for (const std::string& argument : launch.arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    *err = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  sigset_t child_signal, old_mask;
  sigemptyset(&child_signal);
  sigaddset(&child_signal, SIGCHLD);
  sigprocmask(SIG_BLOCK, &child_signal, &old_mask);

  double start = MonotonicSeconds();
  pid_t pid = fork();
  if (pid < 0) {
    *err = std::string("cannot fork: ") + std::strerror(errno);
    sigprocmask(SIG_SETMASK, &old_mask, nullptr);
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (pid == 0) {
    sigprocmask(SIG_SETMASK, &old_mask, nullptr);
    close(report[0]);
    if (!Redirect("/dev/null", O_RDONLY, 0)) ChildFail(report[1], 0);
    if (!Redirect(launch.console_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                  1)) {
      ChildFail(report[1], 1);
    }
    if (!Redirect(launch.error_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 2)) {
      ChildFail(report[1], 2);
    }
    if (chdir(launch.work_dir.c_str()) != 0) ChildFail(report[1], 3);
    if (launch.address_space_mib > 0) {
      rlimit limit;
      limit.rlim_cur = limit.rlim_max =
          static_cast<rlim_t>(launch.address_space_mib) << 20;
      if (setrlimit(RLIMIT_AS, &limit) != 0) ChildFail(report[1], 4);
    }
    execv(launch.program.c_str(), argv.data());
    ChildFail(report[1], 5);
  }
  close(report[1]);

  int status = 0;
  rusage usage;
  for (;;) {
    pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      *err = std::string("cannot wait for the child: ") + std::strerror(errno);
      sigprocmask(SIG_SETMASK, &old_mask, nullptr);
      close(report[0]);
      return false;
    }
    double left = launch.limit_seconds - (MonotonicSeconds() - start);
    if (launch.limit_seconds > 0 && left <= 0) {
      kill(pid, SIGKILL);
      while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
      }
      result->timed_out = true;
      break;
    }
    AwaitChildSignal(child_signal, launch.limit_seconds > 0 ? left : 0.2);
  }
  result->seconds = MonotonicSeconds() - start;
  sigprocmask(SIG_SETMASK, &old_mask, nullptr);

  ChildFailure failure;
  ssize_t got = read(report[0], &failure, sizeof(failure));
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof(failure))) {
    *err = std::string("cannot run ") + launch.program + ": " +
           kStages[failure.stage] + ": " + std::strerror(failure.error);
    return false;
  }

  // Linux reports ru_maxrss in KiB.
  result->peak_kib = static_cast<int64_t>(usage.ru_maxrss);
  result->exited = WIFEXITED(status);
  if (result->exited) {
    result->exit_code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result->signal = WTERMSIG(status);
  }
  return true;
}

}  // namespace mavoscan
