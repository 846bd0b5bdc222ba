#ifndef MAVOSCAN_PLATFORM_PLATFORM_H_
#define MAVOSCAN_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mavoscan {

// The local calendar date and time of day, to the second.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
  int hour = 0;   // 0 to 23
  int minute = 0;
  int second = 0;
};

// A file opened for shared reading. Sizes and offsets are 64-bit so that
// samples of 2 GiB and more are handled.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's current length in bytes.
  virtual int64_t Size() = 0;
  // Replaces *out with up to `length` bytes read from `offset`; fewer only at
  // the end of the file. Returns false when the read fails.
  virtual bool ReadAt(int64_t offset, size_t length, std::string* out) = 0;
};

// A file created (or emptied) for writing.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Returns false when the bytes could not all be written.
  virtual bool Append(std::string_view data) = 0;
  // Flushes and closes; returns false when anything written was lost.
  virtual bool Close() = 0;
};

// A file, a pipe or standard input read once from its start to its end,
// for a list of names that may still be being written.
class InputStream {
 public:
  virtual ~InputStream() = default;
  // Replaces *out with the next bytes, at most `length` of them; *out is
  // empty at the end. Returns false when the read fails.
  virtual bool Read(size_t length, std::string* out) = 0;
};

// The start of the names of the files a definition is written to before it
// takes its final name.
constexpr char kTemporaryPrefix[] = ".mavoscan-";

// Key codes returned by Platform::PollKey.
constexpr int kNoKey = -1;
constexpr int kEscapeKey = 27;

// Every service of the operating system that the tool uses. One
// implementation per system; tests use tests/fakes/FakePlatform.
//
// Threads: the string passes read samples on a helper thread while the main
// thread goes on. FileExists, NameTooLong, OpenForReading, ReadWholeFile,
// the methods of a ReadableFile (each file used by one thread at a time) and
// FailureReason may be called from any thread, also at the same time.
// Every other method, the console ones above all, belongs to the main
// thread alone.
class Platform {
 public:
  virtual ~Platform() = default;

  // The system's reason for the last call of the calling thread that
  // failed, as a user can act on it ("No space left on device"); empty when
  // the system gave none. Only meaningful right after the failure.
  virtual std::string FailureReason() = 0;

  // The command-line text after the program's own name, leading spaces
  // removed, as one byte string.
  virtual std::string CommandLineText() = 0;
  // The arguments after the program's own name, each as the system handed
  // it to the program: on POSIX argv exactly, on Windows as the C runtime
  // splits the command line.
  virtual std::vector<std::string> Arguments() = 0;

  // The leading part of `path` up to and including its last path separator
  // ("/" on POSIX; "\", ":" and "/" on Windows); empty when it has none.
  virtual std::string DirectoryPart(const std::string& path) = 0;
  // Bare names of the regular, non-hidden files that match `mask` (a name
  // pattern with an optional directory in front): on POSIX in ascending
  // byte order, on Windows in the order the system's search gives them
  // (hidden and system files passed over there). A directory that cannot
  // be listed yields no names.
  virtual std::vector<std::string> FindFiles(const std::string& mask) = 0;
  // True when `name` is an existing regular, non-hidden file. Wildcards in
  // `name` are ordinary bytes.
  virtual bool FileExists(const std::string& name) = 0;
  // True when the system refuses `name` because it, or one of its parts, is
  // longer than the system allows.
  virtual bool NameTooLong(const std::string& name) = 0;
  // True when both names exist and refer to the same file (links and
  // differently spelt paths included).
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;

  // Opens `name` for shared reading; null when it cannot be opened.
  virtual std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) = 0;
  // Opens `name` (a file or a FIFO, not a directory) to be read from its
  // start to its end; null when it cannot be opened.
  virtual std::unique_ptr<InputStream> OpenInputStream(
      const std::string& name) = 0;
  // Standard input, to be read from where it stands to its end.
  virtual std::unique_ptr<InputStream> StandardInput() = 0;
  // Reads the whole file into *data. Returns false when it cannot be opened
  // or read.
  virtual bool ReadWholeFile(const std::string& name, std::string* data) = 0;
  // Creates a new, empty hidden file in the directory of `target`, for
  // writing, and sets *temp_name to its path. The name begins with
  // kTemporaryPrefix, so no mask or existence test ever takes it. Temporary
  // files that killed runs left in that directory are removed first. Null
  // when it cannot be created. While it exists, an interrupting signal
  // removes it.
  virtual std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string* temp_name) = 0;
  // Renames `from` to `to` within one directory, replacing a file named
  // `to`, and makes the new name durable. Returns false with both names as
  // they were when it fails.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Deletes a file. Returns false when it could not be deleted.
  virtual bool DeleteFile(const std::string& name) = 0;
  // Moves (renames) a file; fails when `to` exists. Works across file
  // systems by copying and then deleting the source; on failure the source
  // is kept.
  virtual bool MoveFile(const std::string& from, const std::string& to) = 0;

  virtual LocalTime Now() = 0;

  // From now on, large blocks of memory go back to the system as soon as
  // they are freed, for a program that takes and frees large buffers over
  // and over (the checker's cross-check runs the string analysis once per
  // fold): its peak then stays that of one pass. Call before any helper
  // thread starts.
  virtual void ReturnLargeBlocksWhenFreed() = 0;

  // Writes console text as given; lines end in "\r\n" in the text itself.
  virtual void Write(std::string_view text) = 0;
  // Writes `text` to standard output whole, for a report that scripts
  // read. Returns false, with FailureReason set, when any of it could not
  // be written (a full device, a closed output).
  virtual bool WriteReport(std::string_view text) = 0;
  // Writes `text` to standard error; failures are ignored.
  virtual void WriteError(std::string_view text) = 0;
  // True when the console output goes to a terminal.
  virtual bool ConsoleIsTerminal() = 0;
  // The 0-based column the next written byte will land in.
  virtual int CursorColumn() = 0;
  // Moves the cursor to `column` of the current line (terminal only).
  virtual void MoveToColumn(int column) = 0;
  // Hides or shows the text cursor (terminal only).
  virtual void SetCursorVisible(bool visible) = 0;
  // Takes one pending key press without waiting: kNoKey when there is none,
  // kEscapeKey for Escape, any other non-negative value for other keys.
  virtual int PollKey() = 0;
};

// The platform of the system the tool was built for. `argc` and `argv` are
// main's; a system that supplies the command line as one text ignores them.
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv);

}  // namespace mavoscan

#endif  // MAVOSCAN_PLATFORM_PLATFORM_H_
