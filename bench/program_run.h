#ifndef MAVOSCAN_BENCH_PROGRAM_RUN_H_
#define MAVOSCAN_BENCH_PROGRAM_RUN_H_

#include <cstdint>
#include <string>
#include <vector>

namespace mavoscan {

struct ProgramResult {
  double seconds = 0;    // wall time from start to end (or to the kill)
  int64_t peak_kib = 0;  // the child's peak resident set
  bool timed_out = false;
  bool exited = false;  // ended by exit() rather than by a signal
  int exit_code = 0;    // when `exited`
  int signal = 0;       // when not `exited`
};

struct ProgramLaunch {
  std::string program;
  std::vector<std::string> arguments;  // without the program name
  std::string work_dir;                // the child's current directory
  std::string console_path;            // receives stdout
  std::string error_path;              // receives stderr
  double limit_seconds = 0;            // killed after this; 0 = no limit
  int64_t address_space_mib = 0;       // RLIMIT_AS of the child; 0 = none
};

// Runs the program with stdin from /dev/null and waits for it. Fails only
// when the child cannot be started; a child that fails is a result.
bool RunProgram(const ProgramLaunch& launch, ProgramResult* result,
                std::string* err);

}  // namespace mavoscan

#endif  // MAVOSCAN_BENCH_PROGRAM_RUN_H_
