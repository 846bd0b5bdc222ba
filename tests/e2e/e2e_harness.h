#ifndef MAVOSCAN_TESTS_E2E_E2E_HARNESS_H_
#define MAVOSCAN_TESTS_E2E_E2E_HARNESS_H_

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mavoscan::e2e {

// What one run of the tool left behind.
struct RunResult {
  int exit_code = -1;  // -1 when the process did not exit normally
  int signal = 0;      // the signal that ended it, or 0
  std::string out;     // standard output, byte for byte
  std::string err;     // standard error
  bool timed_out = false;
  time_t started = 0;  // the clock around the run, for the Date/Time checks
  time_t ended = 0;
};

// How a run on a pseudo-terminal went.
struct PtyResult {
  int exit_code = -1;  // -1 when the process was ended by a signal
  int signal = 0;      // the signal that ended it, or 0
  std::string output;  // everything the tool wrote to the terminal
  bool trigger_seen = false;
  bool timed_out = false;
  bool terminal_restored = false;  // ICANON and ECHO set again at the end
};

// The program a run starts.
enum class Program { kScanner, kChecker };

// Where the tool's standard output goes: to RunResult::out, to a device
// that is always full (/dev/full), or nowhere (closed).
enum class StandardOutput { kCaptured, kFull, kClosed };

struct RunSettings {
  Program program = Program::kScanner;
  // When the test runs as root, the tool runs as "nobody" instead, so that
  // file permissions apply to it. The Windows build cannot: its run then
  // ends with exit code 125, as any failed set-up does.
  bool drop_root = false;
  int timeout_seconds = 300;
  // The largest file the tool may write (RLIMIT_FSIZE), 0 for no limit, and
  // whether the signal for going over it is ignored (write then fails).
  size_t file_size_limit = 0;
  bool ignore_file_size_signal = false;
  // When set, the tool runs with the test library that ends it with SIGTERM
  // at this moment of writing a definition: "write" halfway through the
  // temporary file, "rename" just before it takes its final name.
  std::string interrupt_at = "";
  StandardOutput output = StandardOutput::kCaptured;
  // The most address space the tool may use (RLIMIT_AS), 0 for no limit.
  size_t address_space_limit = 0;
};

// What to do on the terminal once one of the trigger texts has appeared in
// the tool's output. An interrupt is SIGINT for a POSIX build and Ctrl+C
// typed on the terminal for the Windows build.
enum class PtyAction { kSendEscape, kSendInterrupt };

// A fresh temporary directory (under $TMPDIR or /tmp) that is removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Abs(const std::string& rel) const { return path_ + "/" + rel; }

  // Writes a file (its directories are made as needed).
  void Write(const std::string& rel, std::string_view data) const;
  // Writes a file of `size` bytes that holds `pieces` at their offsets and
  // zero bytes (left as holes where the file system allows) elsewhere.
  void WriteSparse(
      const std::string& rel, int64_t size,
      const std::vector<std::pair<int64_t, std::string>>& pieces) const;
  // The file's bytes; empty with a test failure when it cannot be read.
  std::string Read(const std::string& rel) const;
  // True when the name exists at all (files, directories, links).
  bool Exists(const std::string& rel) const;
  bool IsDirectory(const std::string& rel) const;
  void MakeDir(const std::string& rel) const;
  void Symlink(const std::string& target, const std::string& rel) const;
  void MakeFifo(const std::string& rel) const;
  void Remove(const std::string& rel) const;
  void Chmod(const std::string& rel, mode_t mode) const;
  // Names in the directory `rel` ("." for the top), sorted.
  std::vector<std::string> List(const std::string& rel = ".") const;

  // Runs the tool with `args` (argv[1] onwards) in this directory.
  RunResult Run(const std::vector<std::string>& args,
                const RunSettings& settings = {}) const;
  // Runs the tool on a pseudo-terminal in this directory. Once any of
  // `triggers` appears in its output, `action` is taken (an Escape key is
  // sent again every second until the tool ends, in case one is lost while
  // the tool switches its terminal mode). Gives up after `timeout_seconds`.
  PtyResult RunOnTerminal(const std::vector<std::string>& args,
                          const std::vector<std::string>& triggers,
                          PtyAction action, int timeout_seconds) const;

 private:
  std::string path_;
};

// The tool runs as MAVO_E2E_TOOL says when it is set: its words are a
// launcher and the program ("wine build-windows/mavoscan.exe"); otherwise
// the tool is the native build. True when the program is the Windows build,
// whose runs cannot show what only POSIX has (links, FIFOs, permissions,
// signals, resource limits, preloaded libraries).
bool WindowsTool();

// The lines joined, each followed by CR LF, as the tool writes them.
std::string Lines(std::initializer_list<std::string_view> lines);
std::string Lines(const std::vector<std::string>& lines);
// Concatenation of several transcripts.
std::string Join(std::initializer_list<std::string_view> parts);

// Checks the Year, Month, Day, Hour, Min and Sec values of a definition: the
// shape (four digits for the year, two for the others) and that together
// they name a local time between `earliest` and `latest` (within a minute).
// Replaces them by YYYY, MM, DD, hh, mm and ss so that the rest can be
// compared byte for byte. Returns false with *why set otherwise.
bool NormalizeDateTime(std::string* definition, time_t earliest, time_t latest,
                       std::string* why);

// A sample of the invented test type: "MVX1", a byte that differs from
// sample to sample, `shared` and a delimiter byte, a word of five letters
// that no other sample holds and another delimiter.
std::string FamilySample(int index, std::string_view shared = "SHARED TEXT");

}  // namespace mavoscan::e2e

#endif  // MAVOSCAN_TESTS_E2E_E2E_HARNESS_H_
