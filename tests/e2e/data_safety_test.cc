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

// This program and the tool are built alike, sanitizers included.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

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

// However a write ends early, both names hold complete files at every
// moment: the definition's own name the previous one, the backup the old
// backup or, once it has been made, the previous definition too. The next
// ordinary run goes through and loses nothing.
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
    bool backed_up;  // the backup holds the previous definition
  } rows[] = {
      {"file-size limit, signal ignored",
       {.file_size_limit = 512, .ignore_file_size_signal = true},
       1,
       0,
       false},
      {"file-size limit", {.file_size_limit = 512}, -1, SIGXFSZ, false},
      {"terminated as the temporary file is created",
       {.interrupt_at = "create"},
       -1,
       SIGTERM,
       false},
      {"terminated while writing",
       {.interrupt_at = "write"},
       -1,
       SIGTERM,
       false},
      {"killed while writing", {.interrupt_at = "crash"}, -1, SIGKILL, false},
      {"terminated before the renames",
       {.interrupt_at = "rename"},
       -1,
       SIGTERM,
       false},
      {"killed between the renames",
       {.interrupt_at = "between renames"},
       -1,
       SIGKILL,
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
      EXPECT_EQ(dir.Read(output), previous) << name;
      EXPECT_EQ(dir.Read(kBackup), row.backed_up ? previous : "old backup")
          << name;
      // Only a process killed outright leaves its temporary file, and the
      // next run that writes here removes it.
      EXPECT_EQ(HasTemporary(dir), row.signal == SIGKILL) << name;

      RunResult next = dir.Run(args);
      EXPECT_EQ(next.exit_code, 0) << name << next.out;
      EXPECT_EQ(dir.Read(kBackup), previous) << name;
      EXPECT_TRUE(dir.Read(output).ends_with("</Mavo>\r\n")) << name;
      EXPECT_FALSE(HasTemporary(dir)) << name;
    }
  }
}

// A base definition lost by a run stopped between its renames (as an
// older scanner could be, leaving only the backup and its temporary file):
// the refinement that finds it missing says where its text may be.
TEST(DataSafetyRun, MissingBaseNamesWhatWasLeft) {
  TempDir dir;
  const std::string previous = SetUpWorkDirectory(dir);
  dir.Remove(kBase);
  dir.Write(kBackup, previous);
  const std::string left = ".mavoscan-999999999-1.tmp";
  dir.Write(left, previous);
  dir.Write(".mavoscan-999999999-2.tmp", previous.substr(0, 100));
  RunResult run = dir.Run({"*.bin", kBase});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_TRUE(run.out.ends_with(Lines(
      {"", "* Error: definition <base.xml> not found.",
       "         its previous text may be the backup file newtype.mavo.xml.bak",
       "         a stopped run left a complete definition in " + left})))
      << run.out;
  EXPECT_EQ(dir.Read(left), previous);
}

// Memory runs out in the string passes: an error like any other, with
// nothing written and no temporary file left.
TEST(DataSafetyRun, OutOfMemory) {
  if (kAddressSanitizer) {
    GTEST_SKIP() << "the address sanitizer needs more address space than the "
                    "limit leaves";
  }
  if (WindowsTool()) GTEST_SKIP() << "memory limits are POSIX's";
  TempDir dir;
  const std::string previous = SetUpWorkDirectory(dir);
  // Samples of 8 MiB, mostly holes: the front-block scan needs little, the
  // text of the smallest sample more than the limit leaves.
  constexpr int64_t kSampleSize = int64_t{8} << 20;
  for (int i = 0; i < 3; ++i) {
    dir.WriteSparse(std::string(1, static_cast<char>('a' + i)) + ".big",
                    kSampleSize,
                    {{0, FamilySample(i)}, {kSampleSize - 10, "TAIL TEXT."}});
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"*.big"}, {"*.big", kBase}}) {
    const std::string output = args.size() == 1 ? kOutput : kBase;
    RunResult run = dir.Run(args, {.memory_limit = size_t{20} << 20});
    EXPECT_EQ(run.exit_code, 1) << output << run.err;
    EXPECT_NE(run.out.find("end at offset:"), std::string::npos)
        << output << run.out;
    EXPECT_TRUE(run.out.ends_with(Lines({"", "* Error: out of memory"})))
        << output << run.out;
    EXPECT_EQ(dir.Read(output), previous) << output;
    EXPECT_EQ(dir.Read(kBackup), "old backup") << output;
    EXPECT_FALSE(HasTemporary(dir)) << output;
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
