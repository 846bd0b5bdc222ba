#include <cstdio>

#include "platform/platform.h"

namespace mavoscan {
namespace {

// TODO(platform): placeholder until the POSIX layer lands.
class PosixPlatform : public Platform {
 public:
  std::string CommandLineText() override { return {}; }
  std::string DirectoryPart(const std::string&) override { return {}; }
  std::vector<std::string> FindFiles(const std::string&) override { return {}; }
  bool FileExists(const std::string&) override { return false; }
  bool SameFile(const std::string&, const std::string&) override {
    return false;
  }
  std::unique_ptr<ReadableFile> OpenForReading(const std::string&) override {
    return nullptr;
  }
  bool ReadWholeFile(const std::string&, std::string*) override {
    return false;
  }
  std::unique_ptr<WritableFile> CreateForWriting(const std::string&) override {
    return nullptr;
  }
  bool DeleteFile(const std::string&) override { return false; }
  bool MoveFile(const std::string&, const std::string&) override {
    return false;
  }
  LocalTime Now() override { return {}; }
  void Write(std::string_view text) override {
    fwrite(text.data(), 1, text.size(), stdout);
  }
  bool ConsoleIsTerminal() override { return false; }
  int CursorColumn() override { return 0; }
  void MoveToColumn(int) override {}
  void SetCursorVisible(bool) override {}
  int PollKey() override { return kNoKey; }
};

}  // namespace

std::unique_ptr<Platform> CreatePlatform(int, char**) {
  return std::make_unique<PosixPlatform>();
}

}  // namespace mavoscan
