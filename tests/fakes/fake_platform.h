#ifndef MAVOSCAN_TESTS_FAKES_FAKE_PLATFORM_H_
#define MAVOSCAN_TESTS_FAKES_FAKE_PLATFORM_H_

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// The platform calls that FakePlatform::FailCall can make fail. kShortRead
// makes a read return fewer bytes than asked although the file holds more.
enum class FakeCall {
  kOpen,
  kSize,
  kRead,
  kShortRead,
  kCreate,
  kAppend,
  kClose,
  kDelete,
  kMove,
  kRename,
  kFind,
  kReport,
};

// An in-memory platform for unit tests: files keyed by their path as the
// code spells it ("dir/a.bin"), a fixed clock, scripted key presses and a
// recorded console. Paths are compared as given, after dropping a leading
// "./". Names beginning with "." are hidden, as on POSIX.
class FakePlatform : public Platform {
 public:
  FakePlatform() = default;

  // --- Test set-up ---
  void AddFile(const std::string& path, const std::string& data);
  void RemoveFile(const std::string& path);
  bool HasFile(const std::string& path) const;
  std::string FileData(const std::string& path) const;
  // Names that exist as directories (FindFiles and FileExists skip them).
  void AddDirectory(const std::string& path);
  // Opening this file fails although it exists.
  void MakeUnreadable(const std::string& path);
  // Creating (or writing) this file fails.
  void FailWritesTo(const std::string& path);
  // Deleting / moving this file fails.
  void FailDeleteOf(const std::string& path);
  void FailMoveOf(const std::string& path);
  // The `occurrence`-th call of this kind (counting from 1) fails; a failed
  // size reads as 0, as the real layer's does.
  void FailCall(FakeCall call, int occurrence);
  // What FailureReason returns (empty at first).
  void SetFailureReason(const std::string& reason) { reason_ = reason; }
  void SetCommandLine(const std::string& text) { command_line_ = text; }
  void SetArguments(const std::vector<std::string>& arguments) {
    arguments_ = arguments;
  }
  void SetTime(const LocalTime& time) { time_ = time; }
  void SetTerminal(bool terminal) { terminal_ = terminal; }
  // What StandardInput gives. Streams hand out at most `piece` bytes a
  // read, so that readers meet every boundary.
  void SetStandardInput(const std::string& data) { stdin_ = data; }
  void SetStreamPiece(size_t piece) { stream_piece_ = piece; }
  // Keys returned by PollKey, one per call, after `after_polls` empty polls.
  void QueueKey(int key, int after_polls = 0);

  // --- What the code did ---
  // Text written to the console, as written.
  const std::string& output() const { return output_; }
  // Text written to standard error.
  const std::string& error_output() const { return error_output_; }
  // Text written plus markers for cursor control: "{col N}", "{hide}",
  // "{show}".
  const std::string& screen_log() const { return screen_log_; }
  int poll_count() const { return poll_count_; }
  // Number of OpenForReading / ReadWholeFile calls per path.
  int open_count(const std::string& path) const;
  // Number of calls of one kind so far (reads count under kRead).
  int call_count(FakeCall call) const;
  // The size of output() at each read of a stream, in order.
  std::vector<size_t> output_at_stream_reads() const;
  // Every file path, hidden ones included.
  std::vector<std::string> AllFiles() const;

  // --- Platform ---
  std::string FailureReason() override { return reason_; }
  std::string CommandLineText() override { return command_line_; }
  std::vector<std::string> Arguments() override { return arguments_; }
  std::string DirectoryPart(const std::string& path) override;
  std::vector<std::string> FindFiles(const std::string& mask) override;
  bool FileExists(const std::string& name) override;
  bool NameTooLong(const std::string& name) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override;
  std::unique_ptr<InputStream> OpenInputStream(
      const std::string& name) override;
  std::unique_ptr<InputStream> StandardInput() override;
  bool ReadWholeFile(const std::string& name, std::string* data) override;
  std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string* temp_name) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& name) override;
  bool MoveFile(const std::string& from, const std::string& to) override;
  LocalTime Now() override { return time_; }
  void ReturnLargeBlocksWhenFreed() override {}
  void Write(std::string_view text) override;
  // Appends to output() unless a kReport call is made to fail.
  bool WriteReport(std::string_view text) override;
  void WriteError(std::string_view text) override;
  bool ConsoleIsTerminal() override { return terminal_; }
  int CursorColumn() override { return column_; }
  void MoveToColumn(int column) override;
  void SetCursorVisible(bool visible) override;
  int PollKey() override;

 private:
  friend class FakeWritableFile;
  friend class FakeReadableFile;
  friend class FakeInputStream;
  static std::string Normal(const std::string& path);
  bool IsHidden(const std::string& path) const;
  // Counts a call of this kind; true when it is the one to fail. The mutex
  // must be held.
  bool Fails(FakeCall call);
  // Counts a read: kRead when it is to fail, kShortRead when it is to come
  // back short, kOpen otherwise. The mutex must be held.
  FakeCall NextRead();

  mutable std::mutex mutex_;
  std::map<std::string, std::string> files_;
  std::set<std::string> directories_;
  std::set<std::string> unreadable_;
  std::set<std::string> failing_writes_;
  std::set<std::string> failing_deletes_;
  std::set<std::string> failing_moves_;
  std::map<std::string, int> open_counts_;
  std::map<FakeCall, int> call_counts_;
  std::set<std::pair<FakeCall, int>> failing_calls_;
  std::set<std::string> live_temporaries_;
  int temporary_serial_ = 0;
  std::string command_line_;
  std::vector<std::string> arguments_;
  std::string reason_;
  LocalTime time_{2026, 3, 7, 9, 5, 3};
  bool terminal_ = false;
  std::deque<std::pair<int, int>> keys_;  // (key, empty polls before it)
  int poll_count_ = 0;
  std::string output_;
  std::string stdin_;
  size_t stream_piece_ = 5;
  std::vector<size_t> output_at_stream_reads_;
  std::string error_output_;
  std::string screen_log_;
  int column_ = 0;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_FAKES_FAKE_PLATFORM_H_
