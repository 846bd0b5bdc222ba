#ifndef MAVOSCAN_CHECK_QUIET_PLATFORM_H_
#define MAVOSCAN_CHECK_QUIET_PLATFORM_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// A platform that passes every file call on to `inner` and keeps the
// console to itself: nothing written shows, the cursor stays as it is, and
// no key is ever pressed. The scanner's passes run through it when the
// checker builds definitions of its own, so that their progress lines do
// not mix with the checker's report. The file calls may come from any
// thread, as `inner` allows.
class QuietPlatform : public Platform {
 public:
  explicit QuietPlatform(Platform& inner) : inner_(inner) {}

  std::string FailureReason() override { return inner_.FailureReason(); }
  std::string CommandLineText() override { return inner_.CommandLineText(); }
  std::vector<std::string> Arguments() override { return inner_.Arguments(); }
  std::string DirectoryPart(const std::string& path) override {
    return inner_.DirectoryPart(path);
  }
  std::vector<std::string> FindFiles(const std::string& mask) override {
    return inner_.FindFiles(mask);
  }
  bool FileExists(const std::string& name) override {
    return inner_.FileExists(name);
  }
  bool NameTooLong(const std::string& name) override {
    return inner_.NameTooLong(name);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return inner_.SameFile(a, b);
  }
  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override {
    return inner_.OpenForReading(name);
  }
  std::unique_ptr<InputStream> OpenInputStream(
      const std::string& name) override {
    return inner_.OpenInputStream(name);
  }
  std::unique_ptr<InputStream> StandardInput() override {
    return inner_.StandardInput();
  }
  bool ReadWholeFile(const std::string& name, std::string* data) override {
    return inner_.ReadWholeFile(name, data);
  }
  std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string* temp_name) override {
    return inner_.CreateTemporaryBeside(target, temp_name);
  }
  bool ReplaceFile(const std::string& from, const std::string& to) override {
    return inner_.ReplaceFile(from, to);
  }
  bool DeleteFile(const std::string& name) override {
    return inner_.DeleteFile(name);
  }
  bool MoveFile(const std::string& from, const std::string& to) override {
    return inner_.MoveFile(from, to);
  }
  LocalTime Now() override { return inner_.Now(); }
  void ReturnLargeBlocksWhenFreed() override {
    inner_.ReturnLargeBlocksWhenFreed();
  }

  void Write(std::string_view) override {}
  bool WriteReport(std::string_view) override { return true; }
  void WriteError(std::string_view) override {}
  bool ConsoleIsTerminal() override { return false; }
  int CursorColumn() override { return 0; }
  void MoveToColumn(int) override {}
  void SetCursorVisible(bool) override {}
  int PollKey() override { return kNoKey; }

 private:
  Platform& inner_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_QUIET_PLATFORM_H_
