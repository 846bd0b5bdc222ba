#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "e2e/transcripts.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

constexpr char kOutput[] = "newtype.mavo.xml";
constexpr char kBackup[] = "newtype.mavo.xml.bak";
constexpr char kBase[] = "base.xml";

// A directory as a user has it after some work: samples, a definition made
// from them (also copied as a base to refine) and an older backup. Returns
// the definition.
std::string SetUpWorkDirectory(const TempDir& dir) {
  for (int i = 0; i < 3; ++i) {
    dir.Write(std::string(1, static_cast<char>('a' + i)) + ".bin",
              FamilySample(i));
  }
  EXPECT_EQ(dir.Run({"*.bin"}).exit_code, 0);
  std::string previous = dir.Read(kOutput);
  dir.Write(kBackup, "old backup");
  dir.Write(kBase, previous);
  return previous;
}

bool HasTemporary(const TempDir& dir) {
  for (const std::string& name : dir.List()) {
    if (name.starts_with(".mavoscan-")) return true;
  }
  return false;
}

// However a write ends early, both names hold complete files, the previous
// definition is where the rotation had got to, and the next ordinary run
// loses nothing.
TEST(DataSafetyRun, InterruptedWrites) {
  if (WindowsTool()) {
    GTEST_SKIP() << "file-size limits, signals and preloaded libraries are "
                    "POSIX's";
  }
  const struct Row {
    const char* name;
    RunSettings settings;
    int exit_code;
    int signal;
    bool rotated;  // the previous definition had reached the backup name
  } rows[] = {
      {"file-size limit, signal ignored",
       {.file_size_limit = 512, .ignore_file_size_signal = true},
       1,
       0,
       false},
      {"file-size limit", {.file_size_limit = 512}, -1, SIGXFSZ, false},
      {"terminated while writing",
       {.interrupt_at = "write"},
       -1,
       SIGTERM,
       false},
      {"killed while writing", {.interrupt_at = "crash"}, -1, SIGKILL, false},
      {"terminated before the rename",
       {.interrupt_at = "rename"},
       -1,
       SIGTERM,
       true},
  };
  for (const Row& row : rows) {
    for (bool refining : {false, true}) {
      const std::string name =
          std::string(row.name) + (refining ? ", refining" : "");
      TempDir dir;
      const std::string previous = SetUpWorkDirectory(dir);
      const std::string output = refining ? kBase : kOutput;
      std::vector<std::string> args = {"*.bin"};
      if (refining) args.push_back(kBase);

      RunResult run = dir.Run(args, row.settings);
      EXPECT_EQ(run.exit_code, row.exit_code) << name;
      EXPECT_EQ(run.signal, row.signal) << name;
      EXPECT_EQ(run.out.find("Finished!"), std::string::npos) << name;
      if (row.exit_code == 1) {
        EXPECT_TRUE(run.out.ends_with(
            Lines({"", "* Error: unable to write file " + output + "!",
                   "         (File too large)"})))
            << name << run.out;
      }
      if (row.rotated) {
        EXPECT_FALSE(dir.Exists(output)) << name;
        EXPECT_EQ(dir.Read(kBackup), previous) << name;
      } else {
        EXPECT_EQ(dir.Read(output), previous) << name;
        EXPECT_EQ(dir.Read(kBackup), "old backup") << name;
      }
      // Only a process killed outright leaves its temporary file, and the
      // next run that writes here removes it.
      EXPECT_EQ(HasTemporary(dir), row.signal == SIGKILL) << name;

      RunResult next = dir.Run(args);
      const bool kept = (dir.Exists(output) && dir.Read(output) == previous) ||
                        dir.Read(kBackup) == previous;
      EXPECT_TRUE(kept) << name << next.out;
      EXPECT_FALSE(HasTemporary(dir)) << name;
      if (!row.rotated) {
        EXPECT_EQ(next.exit_code, 0) << name << next.out;
      }
    }
  }
}

// Writes to `path` until the file system holding it is full.
void FillUp(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  const std::string page(4096, 'f');
  while (write(fd, page.data(), page.size()) > 0) {
  }
  while (write(fd, "f", 1) > 0) {
  }
  close(fd);
}

// A full disk: the write fails, nothing is rotated, and once there is room
// again the next run goes through with the right backup.
TEST(DataSafetyRun, FullFileSystem) {
  TempDir dir;
  if (geteuid() != 0 ||
      mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here";
  }
  struct Unmount {
    std::string path;
    ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
  } unmount{dir.path()};
  const std::string previous = SetUpWorkDirectory(dir);
  FillUp(dir.Abs("filler"));

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"*.bin"}, {"*.bin", kBase}}) {
    const std::string output = args.size() == 1 ? kOutput : kBase;
    RunResult run = dir.Run(args);
    EXPECT_EQ(run.exit_code, 1) << output;
    EXPECT_TRUE(run.out.ends_with(
        Lines({"", "* Error: unable to write file " + output + "!",
               Reason("No space left on device", "Disk full")})))
        << run.out;
    EXPECT_EQ(dir.Read(output), previous);
    EXPECT_EQ(dir.Read(kBackup), "old backup");
    EXPECT_FALSE(HasTemporary(dir));
  }
  dir.Remove("filler");
  RunResult next = dir.Run({"*.bin", kBase});
  EXPECT_EQ(next.exit_code, 0) << next.out;
  EXPECT_EQ(dir.Read(kBackup), previous);
}

// A directory the tool may not write to (it runs as nobody when the test
// runs as root): a refinement fails before anything is moved.
TEST(DataSafetyRun, ReadOnlyDirectory) {
  TempDir dir;
  const std::string previous = SetUpWorkDirectory(dir);
  dir.Chmod(".", 0555);
  for (const char* file : {"a.bin", "b.bin", "c.bin", kBase, kBackup}) {
    dir.Chmod(file, 0644);
  }
  RunResult run = dir.Run({"*.bin", kBase}, {.drop_root = true});
  dir.Chmod(".", 0700);
  if (run.exit_code == 125) GTEST_SKIP() << run.err;
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(
      run.out.ends_with(Lines({"", "* Error: unable to write file base.xml!",
                               "         (Permission denied)"})))
      << run.out;
  EXPECT_EQ(dir.Read(kBase), previous);
  EXPECT_EQ(dir.Read(kBackup), "old backup");
  EXPECT_EQ(dir.Run({"*.bin", kBase}).exit_code, 0);
  EXPECT_EQ(dir.Read(kBackup), previous);
}

// A name longer than the system allows is named as the cause.
TEST(DataSafetyRun, NamesTooLong) {
  TempDir dir;
  SetUpWorkDirectory(dir);
  const std::string part(300, 'n');
  const std::string checking = Lines({"", "Checking files..."});
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string tail;
  } rows[] = {
      {"mask",
       {part + "/*.bin"},
       checking +
           Lines({"", "* Error: file name too long <" + part + "/*.bin>"})},
      {"base definition",
       {"*.bin", part + ".xml"},
       Lines({"", "* Error: file name too long <" + part + ".xml>"})},
      {"absolute base definition",
       {"*.bin", "/" + part + ".xml"},
       Lines({"", "* Error: file name too long </" + part + ".xml>"}) +
           Usage()},
  };
  for (const auto& row : rows) {
    RunResult run = dir.Run(row.args);
    EXPECT_EQ(run.exit_code, 1) << row.name;
    EXPECT_TRUE(run.out.ends_with(row.tail)) << row.name << run.out;
  }
}

}  // namespace
}  // namespace mavoscan::e2e
