#include "program_run.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "bench_files.h"

namespace mavoscan {
namespace {

TEST(RunProgram, ReportsHowTheChildEnded) {
  struct Row {
    const char* name;
    std::string program;
    std::vector<std::string> arguments;
    double limit;
    bool timed_out;
    bool exited;
    int exit_code;
    int signal;
  };
  const Row rows[] = {
      {"success", "/bin/sh", {"-c", "exit 0"}, 0, false, true, 0, 0},
      {"failure", "/bin/sh", {"-c", "exit 3"}, 0, false, true, 3, 0},
      {"signal", "/bin/sh", {"-c", "kill -9 $$"}, 0, false, false, 0, 9},
      {"over the limit", "/bin/sleep", {"30"}, 0.3, true, false, 0, 9},
  };
  char pattern[] = "/tmp/mavobench_run_XXXXXX";
  std::string dir = mkdtemp(pattern);
  for (const Row& row : rows) {
    ProgramLaunch launch;
    launch.program = row.program;
    launch.arguments = row.arguments;
    launch.work_dir = dir;
    launch.console_path = dir + "/out";
    launch.error_path = dir + "/err";
    launch.limit_seconds = row.limit;
    ProgramResult result;
    std::string err;
    ASSERT_TRUE(RunProgram(launch, &result, &err)) << row.name << ": " << err;
    EXPECT_EQ(result.timed_out, row.timed_out) << row.name;
    EXPECT_EQ(result.exited, row.exited) << row.name;
    EXPECT_EQ(result.exit_code, row.exit_code) << row.name;
    EXPECT_EQ(result.signal, row.signal) << row.name;
    EXPECT_GT(result.peak_kib, 0) << row.name;
  }
  std::string err;
  EXPECT_TRUE(DeleteFiles(dir, "*", &err)) << err;
  rmdir(dir.c_str());
}

TEST(RunProgram, GivesTheChildItsDirectoryAndCapturesItsOutput) {
  char pattern[] = "/tmp/mavobench_run_XXXXXX";
  std::string dir = mkdtemp(pattern);
  std::string work = dir + "/work";
  std::string err;
  ASSERT_TRUE(MakeDirectories(work, &err)) << err;
  ProgramLaunch launch;
  launch.program = "/bin/sh";
  launch.arguments = {"-c", "pwd; echo oops >&2; read line || echo no-input"};
  launch.work_dir = work;
  launch.console_path = dir + "/out";
  launch.error_path = dir + "/err";
  ProgramResult result;
  ASSERT_TRUE(RunProgram(launch, &result, &err)) << err;
  std::string out, errors;
  ASSERT_TRUE(ReadBytes(launch.console_path, &out, &err)) << err;
  ASSERT_TRUE(ReadBytes(launch.error_path, &errors, &err)) << err;
  EXPECT_EQ(out, work + "\nno-input\n");
  EXPECT_EQ(errors, "oops\n");

  launch.program = dir + "/missing";
  EXPECT_FALSE(RunProgram(launch, &result, &err));
  EXPECT_NE(err.find("start"), std::string::npos) << err;

  EXPECT_TRUE(DeleteFiles(dir, "*", &err)) << err;
  rmdir(work.c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace mavoscan
