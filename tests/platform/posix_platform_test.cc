#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {
namespace {

using Names = std::vector<std::string>;

std::unique_ptr<Platform> MakePlatform(std::vector<std::string> args = {}) {
  args.insert(args.begin(), "mavoscan");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return CreatePlatform(static_cast<int>(args.size()), argv.data());
}

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
  return remove(path);
}

class PosixPlatformTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "mavo_platform_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    platform_ = MakePlatform();
  }
  void TearDown() override {
    nftw(dir_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Put(const std::string& name, const std::string& data) {
    int fd = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << name;
    ASSERT_EQ(write(fd, data.data(), data.size()),
              static_cast<ssize_t>(data.size()));
    close(fd);
  }
  std::string Content(const std::string& name) {
    std::string data;
    EXPECT_TRUE(platform_->ReadWholeFile(Path(name), &data)) << name;
    return data;
  }
  void MakeDir(const std::string& name) {
    ASSERT_EQ(mkdir(Path(name).c_str(), 0755), 0);
  }
  void Link(const std::string& target, const std::string& name) {
    ASSERT_EQ(symlink(target.c_str(), Path(name).c_str()), 0);
  }
  // Regular files next to a hidden one, a directory, a FIFO, a link to a
  // file, a link to a directory and a broken link.
  void MakeMixedDirectory() {
    Put("keep", "k");
    Put(".hidden", "h");
    MakeDir("dir");
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0644), 0);
    Link("keep", "link");
    Link("dir", "dirlink");
    Link("missing", "broken");
  }

  std::string dir_;
  std::unique_ptr<Platform> platform_;
};

TEST_F(PosixPlatformTest, FindFilesMatchesMasks) {
  for (const char* name : {"a.bin", "B.BIN", "abc.bin", "a.bin.bak", "noext",
                           "x.y.z", "aXbXab.c", "_", "\xe9"}) {
    Put(name, "x");
  }
  MakeDir("sub");
  Put("sub/c.bin", "x");
  Put("sub/d.txt", "x");
  // Byte order: upper case before "_" before lower case before high bytes.
  const Names all = {"B.BIN",   "_",     "a.bin", "a.bin.bak", "aXbXab.c",
                     "abc.bin", "noext", "x.y.z", "\xe9"};
  struct Row {
    const char* name;
    const char* mask;
    Names expected;
  } rows[] = {
      {"extension ignores case", "*.bin", {"B.BIN", "a.bin", "abc.bin"}},
      {"star alone", "*", all},
      {"star dot star includes names without a dot", "*.*", all},
      {"high bytes are plain bytes", "?", {"_", "\xe9"}},
      {"question mark is exactly one byte", "?.bin", {"B.BIN", "a.bin"}},
      {"question mark needs a byte", "noext?", {}},
      {"literal name ignores case", "ABC.BIN", {"abc.bin"}},
      {"star may be empty", "a*.bin", {"a.bin", "abc.bin"}},
      {"star backtracks", "*ab.c", {"aXbXab.c"}},
      {"star swallows dots", "x*z", {"x.y.z"}},
      {"several dots", "*.*.*", {"a.bin.bak", "x.y.z"}},
      {"the end of the mask anchors", "*.ba", {}},
      {"trailing slash means every file", "sub/", {"c.bin", "d.txt"}},
      {"directory part", "sub/*.BIN", {"c.bin"}},
      {"missing directory", "nowhere/*", {}},
      {"file in place of a directory", "a.bin/*", {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform_->FindFiles(Path(row.mask)), row.expected) << row.name;
  }
}

TEST_F(PosixPlatformTest, FindFilesUsesCurrentDirectoryWithoutSlash) {
  Put("one.bin", "1");
  Put("two.txt", "2");
  int cwd = open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(cwd, 0);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  Names plain = platform_->FindFiles("*.bin");
  Names dotted = platform_->FindFiles("./*.bin");
  ASSERT_EQ(fchdir(cwd), 0);
  close(cwd);
  EXPECT_EQ(plain, Names{"one.bin"});
  EXPECT_EQ(dotted, Names{"one.bin"});
}

TEST_F(PosixPlatformTest, FindFilesSkipsEverythingButRegularFiles) {
  MakeMixedDirectory();
  EXPECT_EQ(platform_->FindFiles(Path("*")), (Names{"keep", "link"}));
}

// A naive recursive matcher takes exponential time on this; ours must not.
TEST_F(PosixPlatformTest, FindFilesWildcardsStayLinear) {
  std::string long_name(200, 'a');
  Put(long_name, "x");
  EXPECT_EQ(platform_->FindFiles(Path("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b")),
            Names{});
  EXPECT_EQ(platform_->FindFiles(Path("*a*a*a*a*a*a*a*a*a*a*a*a*a*a")),
            Names{long_name});
}

TEST_F(PosixPlatformTest, FileExistsOnlyForVisibleRegularFiles) {
  MakeMixedDirectory();
  Put("w*.bin", "x");
  MakeDir("sub");
  Put("sub/f", "x");
  Put("sub/.f", "x");
  MakeDir(".d");
  Put(".d/f", "x");
  struct Row {
    const char* name;
    const char* path;
    bool exists;
  } rows[] = {
      {"regular file", "keep", true},
      {"link to a file", "link", true},
      {"dot segment", "./keep", true},
      {"file in subdirectory", "sub/f", true},
      {"file inside a hidden directory", ".d/f", true},
      {"wildcard bytes are literal", "w*.bin", true},
      {"wildcards are not expanded", "*.bin", false},
      {"hidden file", ".hidden", false},
      {"hidden file in subdirectory", "sub/.f", false},
      {"directory", "dir", false},
      {"link to a directory", "dirlink", false},
      {"fifo", "fifo", false},
      {"broken link", "broken", false},
      {"missing", "missing", false},
      {"trailing slash", "keep/", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(platform_->FileExists(Path(row.path)), row.exists) << row.name;
  }
  EXPECT_FALSE(platform_->FileExists(Path(std::string("keep\0x", 6))));
}

TEST_F(PosixPlatformTest, SameFileComparesIdentityNotSpelling) {
  Put("a", "same");
  Put("copy", "same");
  Link("a", "link");
  ASSERT_EQ(link(Path("a").c_str(), Path("hard").c_str()), 0);
  EXPECT_TRUE(platform_->SameFile(Path("a"), Path("./a")));
  EXPECT_TRUE(platform_->SameFile(Path("link"), Path("a")));
  EXPECT_TRUE(platform_->SameFile(Path("hard"), Path("a")));
  EXPECT_FALSE(platform_->SameFile(Path("a"), Path("copy")));
  EXPECT_FALSE(platform_->SameFile(Path("missing"), Path("missing")));
}

TEST_F(PosixPlatformTest, ReadAtReturnsBytesUpToTheEnd) {
  const std::string data("MZ\0\x90\xff\r\nrest", 11);
  Put("f", data);
  std::unique_ptr<ReadableFile> file = platform_->OpenForReading(Path("f"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 11);
  struct Row {
    const char* name;
    int64_t offset;
    size_t length;
    std::string expected;
  } rows[] = {
      {"whole", 0, 11, data},
      {"inside, NUL kept", 1, 3, std::string("Z\0\x90", 3)},
      {"short at the end", 7, 100, "rest"},
      {"at the end", 11, 5, ""},
      {"past the end", 50, 5, ""},
  };
  for (const Row& row : rows) {
    std::string out = "stale";
    EXPECT_TRUE(file->ReadAt(row.offset, row.length, &out)) << row.name;
    EXPECT_EQ(out, row.expected) << row.name;
  }
  std::string out;
  EXPECT_FALSE(file->ReadAt(-1, 4, &out));
}

TEST_F(PosixPlatformTest, OpenAndReadRefuseWhatIsNotARegularFile) {
  MakeMixedDirectory();
  // Opening the FIFO must neither block nor succeed.
  for (const char* name : {"fifo", "dir", "broken", "missing"}) {
    EXPECT_EQ(platform_->OpenForReading(Path(name)), nullptr) << name;
    std::string data;
    EXPECT_FALSE(platform_->ReadWholeFile(Path(name), &data)) << name;
  }
  EXPECT_NE(platform_->OpenForReading(Path("link")), nullptr);
}

TEST_F(PosixPlatformTest, ReadWholeFileReadsPastTheChunkSize) {
  std::string data;
  for (size_t i = 0; i < (size_t{3} << 20) + 7; ++i) {
    data.push_back(static_cast<char>((i * 7 + i / 251) & 0xff));
  }
  Put("big", data);
  EXPECT_EQ(Content("big"), data);
  std::unique_ptr<ReadableFile> file = platform_->OpenForReading(Path("big"));
  ASSERT_NE(file, nullptr);
  std::string out;
  ASSERT_TRUE(file->ReadAt(5, data.size(), &out));
  EXPECT_EQ(out, data.substr(5));
}

TEST_F(PosixPlatformTest, ReadsBeyondTwoGibibytes) {
  const int64_t size = int64_t{3} << 30;
  int fd = open(Path("sparse").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  bool made = ftruncate(fd, size) == 0 &&
              pwrite(fd, "MID", 3, (int64_t{2} << 30) + 1) == 3 &&
              pwrite(fd, "END!", 4, size - 4) == 4;
  close(fd);
  if (!made) GTEST_SKIP() << "the file system refuses a sparse 3 GiB file";
  std::unique_ptr<ReadableFile> file =
      platform_->OpenForReading(Path("sparse"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), size);
  std::string out;
  ASSERT_TRUE(file->ReadAt(size - 4, 100, &out));
  EXPECT_EQ(out, "END!");
  ASSERT_TRUE(file->ReadAt((int64_t{2} << 30), 5, &out));
  EXPECT_EQ(out, std::string("\0MID\0", 5));
}

// A definition is written under a hidden name beside its target and takes
// the target's name in one step; leftovers of killed runs go, files of
// running writers stay.
TEST_F(PosixPlatformTest, TemporaryFileBesideItsTarget) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  const std::string dead = ".mavoscan-" + std::to_string(child) + "-1.tmp";
  const std::string alive = ".mavoscan-" + std::to_string(getppid()) + "-1.tmp";
  Put(dead, "killed run");
  Put(alive, "running writer");
  Put(".mavoscan-x-1.tmp", "not ours");
  Put("out.xml", "previous");

  std::string temp;
  std::unique_ptr<WritableFile> file =
      platform_->CreateTemporaryBeside(Path("out.xml"), &temp);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(temp.starts_with(Path(".mavoscan-"))) << temp;
  EXPECT_FALSE(platform_->FileExists(temp));
  EXPECT_EQ(platform_->FindFiles(Path("*")), Names({"out.xml"}));
  EXPECT_TRUE(file->Append(std::string("new\0\r\n", 6)));
  EXPECT_TRUE(file->Close());
  struct stat st;
  EXPECT_NE(lstat(Path(dead).c_str(), &st), 0);
  EXPECT_EQ(Content(alive), "running writer");
  EXPECT_EQ(Content(".mavoscan-x-1.tmp"), "not ours");

  MakeDir("dir");
  EXPECT_FALSE(platform_->ReplaceFile(temp, Path("dir")));
  EXPECT_TRUE(platform_->ReplaceFile(temp, Path("out.xml")));
  EXPECT_EQ(Content("out.xml"), std::string("new\0\r\n", 6));
  EXPECT_NE(lstat(temp.c_str(), &st), 0);
  EXPECT_EQ(platform_->CreateTemporaryBeside(Path("none/out.xml"), &temp),
            nullptr);
}

// Over the file-size limit, with its signal ignored, writes fail; the
// failure must reach the caller rather than leave a short file that looks
// written.
TEST_F(PosixPlatformTest, WriteFailureIsReported) {
  std::string temp;
  std::unique_ptr<WritableFile> file =
      platform_->CreateTemporaryBeside(Path("out.xml"), &temp);
  ASSERT_NE(file, nullptr);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool appended = file->Append(std::string(4096, 'x'));
  bool more = file->Append("more");
  bool closed = file->Close();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(appended);
  EXPECT_FALSE(more);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(platform_->DeleteFile(temp));
}

TEST_F(PosixPlatformTest, NamesTooLong) {
  const std::string part(NAME_MAX, 'a');
  const struct {
    const char* name;
    std::string path;
    bool too_long;
  } rows[] = {
      {"longest part", Path(part), false},
      {"part over the limit", Path(part + "b"), true},
      {"directory part over the limit", Path(part + "b/x.bin"), true},
      {"mask part over the limit", part + "b*", true},
      {"whole path over the limit", std::string(PATH_MAX, '/'), true},
      {"ordinary", Path("x.bin"), false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(platform_->NameTooLong(row.path), row.too_long) << row.name;
  }
}

TEST_F(PosixPlatformTest, MoveFileNeverReplacesTheTarget) {
  Put("a", "A");
  EXPECT_TRUE(platform_->MoveFile(Path("a"), Path("b")));
  EXPECT_FALSE(platform_->FileExists(Path("a")));
  EXPECT_EQ(Content("b"), "A");

  Put("c", "C");
  EXPECT_FALSE(platform_->MoveFile(Path("c"), Path("b")));
  EXPECT_EQ(Content("b"), "A");
  EXPECT_EQ(Content("c"), "C");

  Link("nowhere", "dangling");
  EXPECT_FALSE(platform_->MoveFile(Path("c"), Path("dangling")));
  EXPECT_EQ(Content("c"), "C");
  struct stat st;
  EXPECT_EQ(lstat(Path("dangling").c_str(), &st), 0);

  EXPECT_FALSE(platform_->MoveFile(Path("missing"), Path("d")));
}

TEST_F(PosixPlatformTest, MoveFileCopiesAcrossFileSystems) {
  struct stat here;
  struct stat there;
  if (stat(dir_.c_str(), &here) != 0 || stat("/dev/shm", &there) != 0 ||
      here.st_dev == there.st_dev || access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system at hand";
  }
  std::string target = "/dev/shm/mavo_move_" + std::to_string(getpid());
  Put("a", std::string("cross\0device", 12));
  bool moved = platform_->MoveFile(Path("a"), target);
  std::string data;
  bool read = platform_->ReadWholeFile(target, &data);
  unlink(target.c_str());
  EXPECT_TRUE(moved);
  EXPECT_TRUE(read);
  EXPECT_EQ(data, std::string("cross\0device", 12));
  EXPECT_FALSE(platform_->FileExists(Path("a")));
}

// A second name shares the file where a link can be made and is a copy
// with the same permissions where the file lies on another file system;
// either way the file keeps its own name and a replace over the backup
// leaves one name per file.
TEST_F(PosixPlatformTest, SecondNameBesideATarget) {
  Put("prev", std::string("pre\0vious", 9));
  chmod(Path("prev").c_str(), 0600);
  Link("prev", "sym");
  struct stat there;
  const bool other_fs =
      stat("/dev/shm", &there) == 0 && access("/dev/shm", W_OK) == 0 && [&] {
        struct stat here;
        return stat(dir_.c_str(), &here) == 0 && here.st_dev != there.st_dev;
      }();
  const struct Row {
    const char* name;
    std::string file, target;
    bool shared;  // the second name is the file itself, not a copy
  } rows[] = {
      {"beside", Path("prev"), Path("bak"), true},
      {"through a symbolic link", Path("sym"), Path("bak"), true},
      {"another file system", Path("prev"),
       "/dev/shm/mavo_bak_" + std::to_string(getpid()), false},
  };
  for (const Row& row : rows) {
    if (!row.shared && !other_fs) continue;
    std::string second;
    ASSERT_TRUE(platform_->LinkTemporaryBeside(row.file, row.target, &second))
        << row.name << ": " << platform_->FailureReason();
    EXPECT_TRUE(second.starts_with(platform_->DirectoryPart(row.target) +
                                   kTemporaryPrefix))
        << row.name << ": " << second;
    struct stat st_prev;
    struct stat st_second;
    ASSERT_EQ(stat(Path("prev").c_str(), &st_prev), 0);
    ASSERT_EQ(lstat(second.c_str(), &st_second), 0) << row.name;
    EXPECT_EQ(st_second.st_ino == st_prev.st_ino, row.shared) << row.name;
    EXPECT_EQ(st_second.st_mode & 07777, 0600u) << row.name;
    EXPECT_TRUE(platform_->ReplaceFile(second, row.target)) << row.name;
    std::string data;
    EXPECT_TRUE(platform_->ReadWholeFile(row.target, &data)) << row.name;
    EXPECT_EQ(data, std::string("pre\0vious", 9)) << row.name;
    EXPECT_EQ(Content("prev"), std::string("pre\0vious", 9)) << row.name;
    if (!row.shared) unlink(row.target.c_str());
  }
  // Replacing a name with another name of the same file keeps one of them.
  std::string second;
  ASSERT_TRUE(
      platform_->LinkTemporaryBeside(Path("bak"), Path("bak"), &second));
  EXPECT_TRUE(platform_->ReplaceFile(second, Path("bak")));
  struct stat st;
  EXPECT_NE(lstat(second.c_str(), &st), 0);
  EXPECT_EQ(Content("bak"), std::string("pre\0vious", 9));

  EXPECT_FALSE(
      platform_->LinkTemporaryBeside(Path("missing"), Path("bak"), &second));
  EXPECT_EQ(platform_->FailureReason(), "No such file or directory");
}

// One entry however it is reached; a hard link is an entry of its own.
TEST_F(PosixPlatformTest, SameEntryFollowsPathsNotFiles) {
  Put("bak", "B");
  Link("bak", "sym");
  ASSERT_EQ(link(Path("bak").c_str(), Path("hard").c_str()), 0);
  MakeDir("sub");
  const struct {
    std::string other;
    bool same;
  } rows[] = {
      {Path("bak"), true}, {dir_ + "/./bak", true}, {Path("sub/../bak"), true},
      {Path("sym"), true}, {Path("hard"), false},   {Path("missing"), false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(platform_->SameEntry(row.other, Path("bak")), row.same)
        << row.other;
  }
}

TEST_F(PosixPlatformTest, DeleteFileRemovesOnce) {
  Put("a", "A");
  EXPECT_TRUE(platform_->DeleteFile(Path("a")));
  EXPECT_FALSE(platform_->FileExists(Path("a")));
  EXPECT_FALSE(platform_->DeleteFile(Path("a")));
}

TEST_F(PosixPlatformTest, NowIsTheLocalCalendarTime) {
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  LocalTime time = platform_->Now();
  EXPECT_EQ(time.year, local.tm_year + 1900);
  EXPECT_EQ(time.month, local.tm_mon + 1);
}

TEST(PosixCommandLine, QuotesOnlyEmptyArgumentsAndArgumentsWithBlanks) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string expected;
  } rows[] = {
      {"no arguments", {}, ""},
      {"plain", {"*.bin", "/NS"}, "*.bin /NS"},
      {"space", {"My Samples/*.bin", "x"}, "\"My Samples/*.bin\" x"},
      {"tab", {"a\tb"}, "\"a\tb\""},
      {"empty", {"*.bin", "", "/FS"}, "*.bin \"\" /FS"},
      {"quote stays a byte", {"say\"x"}, "say\"x"},
      {"high bytes", {"\xe9t\xe9.bin"}, "\xe9t\xe9.bin"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MakePlatform(row.args)->CommandLineText(), row.expected)
        << row.name;
  }
}

// --- Console and keyboard, in child processes with their own stdin/stdout.

// Called in children: no gtest assertions there; a lost report shows up
// in the parent instead.
void Report(int fd, int value) {
  if (write(fd, &value, sizeof(value)) != ssize_t{sizeof(value)}) _exit(4);
}

// Reads until `want` bytes arrived. The wait only guards against hanging
// forever on a broken build; no result depends on timing.
std::string ReadBytes(int fd, size_t want) {
  std::string data;
  char buffer[256];
  while (data.size() < want) {
    pollfd pfd{fd, POLLIN, 0};
    if (poll(&pfd, 1, 10000) <= 0) break;
    ssize_t n = read(fd, buffer, std::min(sizeof(buffer), want - data.size()));
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  return data;
}

int ReadReport(int fd) {
  std::string bytes = ReadBytes(fd, sizeof(int));
  int value = INT_MIN;
  if (bytes.size() == sizeof(int)) memcpy(&value, bytes.data(), sizeof(int));
  return value;
}

// Runs `body` in a child process that leads a new session whose stdin,
// stdout and controlling terminal are a new pseudo-terminal; the test talks
// to it through master_ and reads the child's reports from report_.
class TerminalTest : public testing::Test {
 protected:
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {report_, master_, slave_}) {
      if (fd >= 0) close(fd);
    }
  }

  void Start(const std::function<void(int report)>& body) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      GTEST_SKIP() << "no pseudo-terminals";
    }
    std::string name = ptsname(master_);
    // Held open here so that the terminal outlives the child and its mode
    // can be inspected.
    slave_ = open(name.c_str(), O_RDWR | O_NOCTTY);
    int fds[2];
    ASSERT_TRUE(slave_ >= 0 && pipe(fds) == 0);
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      // As when started in the foreground, whatever ran the tests.
      signal(SIGINT, SIG_DFL);
      signal(SIGTERM, SIG_DFL);
      setsid();
      int fd = open(name.c_str(), O_RDWR);
      if (fd < 0 || ioctl(fd, TIOCSCTTY, 0) != 0) _exit(3);
      dup2(fd, STDIN_FILENO);
      dup2(fd, STDOUT_FILENO);
      body(fds[1]);
      _exit(0);
    }
    close(fds[1]);
    report_ = fds[0];
  }

  bool KeyMode() {
    termios mode;
    EXPECT_EQ(tcgetattr(slave_, &mode), 0);
    return (mode.c_lflag & (ICANON | ECHO)) == 0;
  }

  int Wait() {
    int status = 0;
    EXPECT_EQ(waitpid(pid_, &status, 0), pid_);
    pid_ = -1;
    return status;
  }

  void CheckSignalRestoresTerminal(int signal_number, bool poll_first) {
    Start([poll_first](int report) {
      std::unique_ptr<Platform> platform = MakePlatform();
      platform->SetCursorVisible(false);
      if (poll_first) platform->PollKey();
      Report(report, 1);
      for (;;) pause();
    });
    if (pid_ <= 0) return;
    ASSERT_EQ(ReadReport(report_), 1);
    EXPECT_EQ(ReadBytes(master_, 6), "\x1b[?25l");
    EXPECT_EQ(KeyMode(), poll_first);
    kill(pid_, signal_number);
    int status = Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << "status " << status;
    EXPECT_EQ(ReadBytes(master_, 6), "\x1b[?25h");
    EXPECT_FALSE(KeyMode());
  }

  pid_t pid_ = -1;
  int report_ = -1;
  int master_ = -1;
  int slave_ = -1;
};

TEST_F(TerminalTest, KeysWithoutEchoAndCursorSequences) {
  Start([](int report) {
    std::unique_ptr<Platform> platform = MakePlatform();
    platform->Write("ab");
    platform->SetCursorVisible(false);
    platform->MoveToColumn(5);
    platform->PollKey();  // enters key mode
    Report(report, platform->CursorColumn());
    for (int i = 0; i < 5; ++i) {
      int key;
      while ((key = platform->PollKey()) == kNoKey) usleep(1000);
      Report(report, key);
    }
    platform->SetCursorVisible(true);
    platform->Write("!");
    platform.reset();
    Report(report, 0);
  });
  if (pid_ <= 0) return;
  ASSERT_EQ(ReadReport(report_), 5);
  EXPECT_TRUE(KeyMode());
  struct Row {
    const char* name;
    std::string input;
    int key;  // -2: any other key code
  } rows[] = {
      {"letter", "a", 'a'},
      {"arrow key with parameters", "\x1b[1;5A", -2},
      {"next key after a sequence", "b", 'b'},
      {"lone Escape", "\x1b", kEscapeKey},
      {"high byte", "\xe9", 0xe9},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(write(master_, row.input.data(), row.input.size()),
              static_cast<ssize_t>(row.input.size()));
    int key = ReadReport(report_);
    if (row.key == -2) {
      EXPECT_TRUE(key >= 0 && key != kEscapeKey) << row.name;
    } else {
      EXPECT_EQ(key, row.key) << row.name;
    }
  }
  EXPECT_EQ(ReadReport(report_), 0);
  EXPECT_FALSE(KeyMode()) << "mode not restored";
  // Echoed keys would show up between the sequences.
  const std::string expected = "ab\x1b[?25l\r\x1b[5C\x1b[?25h!";
  EXPECT_EQ(ReadBytes(master_, expected.size()), expected);
  EXPECT_EQ(Wait(), 0);
}

TEST_F(TerminalTest, SigtermAfterPollingRestoresModeAndCursor) {
  CheckSignalRestoresTerminal(SIGTERM, true);
}

TEST_F(TerminalTest, SigintWithOnlyTheCursorHiddenShowsIt) {
  CheckSignalRestoresTerminal(SIGINT, false);
}

}  // namespace
}  // namespace mavoscan
