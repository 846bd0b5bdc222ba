#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// windows.h maps these names to their ANSI or wide functions; here they are
// the methods of Platform, and the ANSI functions are called by full name.
#undef DeleteFile
#undef MoveFile
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/windows_rules.h"

namespace mavoscan {
namespace {

// Big reads and copies go in pieces of this size, so that a huge `length`
// never becomes one huge allocation before the end of the file is known.
constexpr size_t kIoChunk = size_t{1} << 20;

// Every sharing mode: files read are shared with other readers and writers,
// and may be renamed or deleted meanwhile.
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Paths reach the system as C strings; a NUL inside one would silently name
// a different file.
bool UsablePath(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

// The reason of the calling thread's last failed call, for FailureReason.
thread_local std::string t_failure_reason;

// Keeps the text of `error` as the reason of the failure about to be
// returned, and leaves `error` as the last error for callers that look.
void KeepReason(DWORD error) {
  t_failure_reason.clear();
  if (error == ERROR_SUCCESS) return;
  char text[512];
  DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                     text, sizeof text, nullptr);
  if (length == 0) {
    t_failure_reason = "system error " + std::to_string(error);
  } else {
    t_failure_reason = TrimSystemMessage(std::string_view(text, length));
  }
  SetLastError(error);
}

// Keeps GetLastError's text as the reason of the failure about to be
// returned.
void KeepLastError() { KeepReason(GetLastError()); }

class UniqueHandle {
 public:
  explicit UniqueHandle(HANDLE handle = INVALID_HANDLE_VALUE)
      : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }
  void Reset() {
    if (Valid()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// Opens an existing file on disk for shared reading. Devices ("CON",
// "NUL", pipes) are refused: they are no samples and may block.
HANDLE OpenDiskFileForReading(const std::string& name) {
  if (!UsablePath(name)) {
    KeepReason(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  UniqueHandle file(CreateFileA(name.c_str(), GENERIC_READ, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    KeepLastError();
    return INVALID_HANDLE_VALUE;
  }
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
    KeepReason(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return file.Release();
}

int64_t FileSize(HANDLE file) {
  LARGE_INTEGER size;
  // The handle is open on a disk file; this fails only on a broken file
  // system, where an empty file is the safe answer.
  if (!GetFileSizeEx(file, &size)) return 0;
  return size.QuadPart;
}

// Replaces *out with up to `length` bytes from `offset`, fewer only at the
// end of the file. Short reads are continued.
bool ReadFully(HANDLE file, int64_t offset, size_t length, std::string* out) {
  // What *out holds is overwritten, not cleared first: growing a cleared
  // string would fill it with zeros just before the read does.
  LARGE_INTEGER position;
  position.QuadPart = offset;
  if (offset < 0 || !SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
    if (offset >= 0) KeepLastError();
    out->clear();
    return false;
  }
  uint64_t room = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) -
                  static_cast<uint64_t>(offset);
  if (length > room) length = static_cast<size_t>(room);
  size_t got = 0;
  while (got < length) {
    size_t want = std::min(length - got, kIoChunk);
    if (out->size() < got + want) out->resize(got + want);
    DWORD n = 0;
    if (!ReadFile(file, out->data() + got, static_cast<DWORD>(want), &n,
                  nullptr)) {
      KeepLastError();
      out->clear();
      return false;
    }
    if (n == 0) break;
    got += n;
  }
  out->resize(got);
  return true;
}

// Writes every byte, continuing short writes.
bool WriteAll(HANDLE file, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    DWORD want =
        static_cast<DWORD>(std::min(data.size() - done, size_t{kIoChunk}));
    DWORD n = 0;
    if (!WriteFile(file, data.data() + done, want, &n, nullptr) || n == 0) {
      return false;
    }
    done += n;
  }
  return true;
}

class Win32ReadableFile : public ReadableFile {
 public:
  explicit Win32ReadableFile(HANDLE file) : file_(file) {}

  int64_t Size() override { return FileSize(file_.Get()); }

  bool ReadAt(int64_t offset, size_t length, std::string* out) override {
    return ReadFully(file_.Get(), offset, length, out);
  }

 private:
  UniqueHandle file_;
};

class Win32InputStream : public InputStream {
 public:
  // `owned` says whether the handle is closed with the stream.
  Win32InputStream(HANDLE handle, bool owned)
      : handle_(handle), owned_(owned) {}
  ~Win32InputStream() override {
    if (owned_) CloseHandle(handle_);
  }
  Win32InputStream(const Win32InputStream&) = delete;
  Win32InputStream& operator=(const Win32InputStream&) = delete;

  bool Read(size_t length, std::string* out) override {
    out->resize(std::min(length, size_t{kIoChunk}));
    DWORD n = 0;
    if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
      out->clear();
      return true;
    }
    if (!ReadFile(handle_, out->data(), static_cast<DWORD>(out->size()), &n,
                  nullptr)) {
      // The writing end of a pipe closed: the end of the stream.
      if (GetLastError() == ERROR_BROKEN_PIPE) {
        out->clear();
        return true;
      }
      KeepLastError();
      out->clear();
      return false;
    }
    out->resize(n);
    return true;
  }

 private:
  HANDLE handle_;
  bool owned_;
};

class Win32WritableFile : public WritableFile {
 public:
  explicit Win32WritableFile(HANDLE file) : file_(file) {}

  bool Append(std::string_view data) override {
    if (!file_.Valid() || failed_) return false;
    if (!WriteAll(file_.Get(), data)) {
      KeepLastError();
      failed_ = true;
    }
    return !failed_;
  }

  // The reason of an earlier failed Append stays the one reported.
  bool Close() override {
    if (!file_.Valid()) return false;
    bool ok = !failed_;
    // A failed flush means data may be lost.
    if (!FlushFileBuffers(file_.Get())) {
      if (ok) KeepLastError();
      ok = false;
    }
    if (!CloseHandle(file_.Release())) {
      if (ok) KeepLastError();
      ok = false;
    }
    return ok;
  }

 private:
  UniqueHandle file_;
  bool failed_ = false;
};

// True when a name exists at all, whatever it is. A failure other than "not
// found" counts as existing: a move must never risk replacing a file.
bool NameExists(const std::string& name) {
  if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// Moves a file to another volume: copy, flush, then delete the source. On
// any failure the partial copy goes and the source stays. Returns 0 or the
// system's error code.
DWORD CopyThenDelete(const std::string& from, const std::string& to) {
  UniqueHandle in(OpenDiskFileForReading(from));
  if (!in.Valid()) return GetLastError();
  UniqueHandle out(CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return GetLastError();
  bool ok = true;
  std::string buffer;
  for (int64_t offset = 0; ok; offset += static_cast<int64_t>(buffer.size())) {
    ok = ReadFully(in.Get(), offset, kIoChunk, &buffer) &&
         WriteAll(out.Get(), buffer);
    if (buffer.empty()) break;
  }
  ok = ok && FlushFileBuffers(out.Get());
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(out.Release()) && ok) {
    ok = false;
    error = GetLastError();
  }
  in.Reset();
  if (ok && DeleteFileA(from.c_str())) return ERROR_SUCCESS;
  if (ok) error = GetLastError();
  DeleteFileA(to.c_str());
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

// The console state is process-wide: the control handler runs on a thread
// of its own that the system starts, and must reach it without an object.
std::atomic<bool> g_cursor_hidden{false};
HANDLE g_console_out = INVALID_HANDLE_VALUE;
CONSOLE_CURSOR_INFO g_cursor_info = {};

// The definition's temporary file while it exists, for the control handler
// to remove. The path is written before the flag is set.
char g_temporary[MAX_PATH + 1];
std::atomic<bool> g_temporary_set{false};

void ShowCursorAgain() {
  if (!g_cursor_hidden.exchange(false)) return;
  CONSOLE_CURSOR_INFO info = g_cursor_info;
  info.bVisible = TRUE;
  SetConsoleCursorInfo(g_console_out, &info);
}

// Ctrl+C, Ctrl+Break and closing the window end the process; before that
// the cursor comes back and the temporary file goes. The two keys end it
// here with the code the system's own handler gives, which not every
// console passes on when the handler returns FALSE.
BOOL WINAPI RestoreOnControl(DWORD event) {
  if (g_temporary_set.exchange(false)) DeleteFileA(g_temporary);
  ShowCursorAgain();
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    ExitProcess(STATUS_CONTROL_C_EXIT);
  }
  return FALSE;
}

void SetTemporary(const std::string& path) {
  std::memcpy(g_temporary, path.c_str(), path.size() + 1);
  g_temporary_set = true;
}

// Called once `path` is gone or renamed: a control event after this must
// not remove a file of that name.
void ForgetTemporary(const std::string& path) {
  if (g_temporary_set && path == g_temporary) g_temporary_set = false;
}

void RemoveForeignTemporaries(const std::string& directory) {
  std::string mask = directory + kTemporaryPrefix + "*";
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(mask.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  DWORD own = GetCurrentProcessId();
  do {
    // One that another run still has open cannot be deleted, so only those
    // of ended runs go.
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        ForeignTemporary(entry.cFileName, own)) {
      DeleteFileA((directory + entry.cFileName).c_str());
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

class Win32Platform : public Platform {
 public:
  explicit Win32Platform(std::vector<std::string> arguments)
      : command_line_(TextAfterProgramName(GetCommandLineA())),
        arguments_(std::move(arguments)),
        out_(GetStdHandle(STD_OUTPUT_HANDLE)),
        in_(GetStdHandle(STD_INPUT_HANDLE)) {
    CONSOLE_SCREEN_BUFFER_INFO screen;
    // The console calls fail when output goes to a file or a pipe.
    out_is_console_ = out_ != nullptr && out_ != INVALID_HANDLE_VALUE &&
                      GetConsoleScreenBufferInfo(out_, &screen);
    DWORD mode;
    in_is_console_ = in_ != nullptr && in_ != INVALID_HANDLE_VALUE &&
                     GetConsoleMode(in_, &mode);
    g_console_out = out_;
    SetConsoleCtrlHandler(RestoreOnControl, TRUE);
  }

  ~Win32Platform() override {
    ShowCursorAgain();
    SetConsoleCtrlHandler(RestoreOnControl, FALSE);
  }

  std::string FailureReason() override { return t_failure_reason; }

  std::string CommandLineText() override { return command_line_; }

  std::vector<std::string> Arguments() override { return arguments_; }

  std::string DirectoryPart(const std::string& path) override {
    return path.substr(0, DirectoryPartLength(path));
  }

  std::vector<std::string> FindFiles(const std::string& mask) override {
    std::vector<std::string> names;
    std::string search = mask;
    if (DirectoryPartLength(mask) == mask.size()) {
      if (mask.empty()) return names;
      search += '*';  // "dir\" stands for every file of dir
    }
    if (!UsablePath(search)) return names;
    WIN32_FIND_DATAA entry;
    HANDLE handle = FindFirstFileA(search.c_str(), &entry);
    if (handle == INVALID_HANDLE_VALUE) return names;
    do {
      if (IsListedEntry(entry.dwFileAttributes, entry.cFileName)) {
        names.emplace_back(entry.cFileName);
      }
    } while (FindNextFileA(handle, &entry));
    FindClose(handle);
    return names;
  }

  bool FileExists(const std::string& name) override {
    if (!UsablePath(name) || HoldsWildcard(name)) return false;
    WIN32_FIND_DATAA entry;
    HANDLE handle = FindFirstFileA(name.c_str(), &entry);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FindClose(handle);
    return IsListedEntry(entry.dwFileAttributes, entry.cFileName);
  }

  bool NameTooLong(const std::string& name) override {
    if (!UsablePath(name)) return false;
    DWORD needed = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return ExceedsPathLimits(name);
    std::string full(needed, '\0');
    DWORD length = GetFullPathNameA(name.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return ExceedsPathLimits(name);
    full.resize(length);
    return ExceedsPathLimits(full);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION info_a;
    BY_HANDLE_FILE_INFORMATION info_b;
    return FileIdentity(a, &info_a) && FileIdentity(b, &info_b) &&
           info_a.dwVolumeSerialNumber == info_b.dwVolumeSerialNumber &&
           info_a.nFileIndexHigh == info_b.nFileIndexHigh &&
           info_a.nFileIndexLow == info_b.nFileIndexLow;
  }

  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override {
    HANDLE file = OpenDiskFileForReading(name);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32ReadableFile>(file);
  }

  std::unique_ptr<InputStream> OpenInputStream(
      const std::string& name) override {
    if (!UsablePath(name)) {
      KeepReason(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      KeepLastError();
      return nullptr;
    }
    return std::make_unique<Win32InputStream>(file, /*owned=*/true);
  }

  std::unique_ptr<InputStream> StandardInput() override {
    return std::make_unique<Win32InputStream>(GetStdHandle(STD_INPUT_HANDLE),
                                              /*owned=*/false);
  }

  bool ReadWholeFile(const std::string& name, std::string* data) override {
    data->clear();
    UniqueHandle file(OpenDiskFileForReading(name));
    if (!file.Valid()) return false;
    // The size is only a hint: the file may grow or shrink meanwhile, so we
    // read until the end regardless.
    int64_t size = FileSize(file.Get());
    if (size > 0 && static_cast<uint64_t>(size) < data->max_size()) {
      data->reserve(static_cast<size_t>(size) + 1);
    }
    return ReadFully(file.Get(), 0, std::numeric_limits<size_t>::max(), data);
  }

  std::unique_ptr<WritableFile> CreateTemporaryBeside(
      const std::string& target, std::string* temp_name) override {
    if (!UsablePath(target)) {
      KeepReason(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    std::string directory = DirectoryPart(target);
    RemoveForeignTemporaries(directory);
    std::string stem = directory + kTemporaryPrefix +
                       std::to_string(GetCurrentProcessId()) + "-";
    // CREATE_NEW: a name someone else took meanwhile is never written into.
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = stem + std::to_string(++temporary_serial_) + ".tmp";
      if (name.size() >= sizeof(g_temporary)) {
        KeepReason(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
      }
      HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
          continue;
        }
        KeepReason(error);
        return nullptr;
      }
      SetTemporary(name);
      *temp_name = name;
      return std::make_unique<Win32WritableFile>(file);
    }
    KeepReason(ERROR_FILE_EXISTS);
    return nullptr;
  }

  bool ReplaceFile(const std::string& from, const std::string& to) override {
    if (!UsablePath(from) || !UsablePath(to)) {
      KeepReason(ERROR_FILE_NOT_FOUND);
      return false;
    }
    // The temporary was hidden so that no search took it; the attributes
    // move with the file, and the definition must not stay hidden.
    DWORD attributes = GetFileAttributesA(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
      attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
      SetFileAttributesA(from.c_str(),
                         attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      KeepLastError();
      return false;
    }
    ForgetTemporary(from);
    return true;
  }

  bool DeleteFile(const std::string& name) override {
    if (!UsablePath(name)) {
      KeepReason(ERROR_FILE_NOT_FOUND);
      return false;
    }
    if (!DeleteFileA(name.c_str())) {
      KeepLastError();
      return false;
    }
    ForgetTemporary(name);
    return true;
  }

  bool MoveFile(const std::string& from, const std::string& to) override {
    if (!UsablePath(from) || !UsablePath(to)) {
      KeepReason(ERROR_FILE_NOT_FOUND);
      return false;
    }
    if (NameExists(to)) {
      KeepReason(ERROR_ALREADY_EXISTS);
      return false;
    }
    // MoveFileA itself never replaces an existing target.
    DWORD error =
        MoveFileA(from.c_str(), to.c_str()) ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_NOT_SAME_DEVICE) error = CopyThenDelete(from, to);
    if (error != ERROR_SUCCESS) KeepReason(error);
    return error == ERROR_SUCCESS;
  }

  LocalTime Now() override {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth,  now.wDay,
                     now.wHour, now.wMinute, now.wSecond};
  }

  // The system's heap gives large blocks back by itself.
  void ReturnLargeBlocksWhenFreed() override {}

  void Write(std::string_view text) override {
    // Nothing sensible can be done when the console itself fails.
    static_cast<void>(WriteAll(out_, text));
    for (char c : text) {
      column_ = (c == '\r' || c == '\n') ? 0 : column_ + 1;
    }
  }

  bool WriteReport(std::string_view text) override {
    if (out_ == nullptr || out_ == INVALID_HANDLE_VALUE) {
      KeepReason(ERROR_INVALID_HANDLE);
      return false;
    }
    if (!WriteAll(out_, text)) {
      KeepLastError();
      return false;
    }
    for (char c : text) {
      column_ = (c == '\r' || c == '\n') ? 0 : column_ + 1;
    }
    return true;
  }

  void WriteError(std::string_view text) override {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err != nullptr && err != INVALID_HANDLE_VALUE) {
      static_cast<void>(WriteAll(err, text));
    }
  }

  bool ConsoleIsTerminal() override { return out_is_console_; }

  int CursorColumn() override {
    CONSOLE_SCREEN_BUFFER_INFO screen;
    // A long line wraps on a console: its own position is the true one.
    if (out_is_console_ && GetConsoleScreenBufferInfo(out_, &screen)) {
      return screen.dwCursorPosition.X;
    }
    return column_;
  }

  void MoveToColumn(int column) override {
    CONSOLE_SCREEN_BUFFER_INFO screen;
    if (!out_is_console_ || !GetConsoleScreenBufferInfo(out_, &screen)) return;
    column = std::clamp(column, 0, std::max(screen.dwSize.X - 1, 0));
    COORD position = {static_cast<SHORT>(column), screen.dwCursorPosition.Y};
    SetConsoleCursorPosition(out_, position);
    column_ = column;
  }

  void SetCursorVisible(bool visible) override {
    if (!out_is_console_) return;
    if (visible) {
      ShowCursorAgain();
      return;
    }
    CONSOLE_CURSOR_INFO info;
    if (!GetConsoleCursorInfo(out_, &info)) return;
    if (!g_cursor_hidden) g_cursor_info = info;
    // Flag first, so that a control event right now shows the cursor again.
    g_cursor_hidden = true;
    info.bVisible = FALSE;
    SetConsoleCursorInfo(out_, &info);
  }

  int PollKey() override {
    if (!in_is_console_) return kNoKey;
    // Records that are no key press (releases, mouse, focus, size) are
    // taken and passed over, so that a press behind them is seen now.
    for (;;) {
      INPUT_RECORD record;
      DWORD count = 0;
      if (!PeekConsoleInputA(in_, &record, 1, &count) || count == 0) {
        return kNoKey;
      }
      if (!ReadConsoleInputA(in_, &record, 1, &count) || count == 0) {
        return kNoKey;
      }
      ConsoleInputEvent event;
      event.is_key = record.EventType == KEY_EVENT;
      if (event.is_key) {
        const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
        event.key_down = key.bKeyDown != FALSE;
        event.virtual_key = key.wVirtualKeyCode;
        event.character = static_cast<unsigned char>(key.uChar.AsciiChar);
      }
      int code = DecodeKeyEvent(event);
      if (code != kNoKey) return code;
    }
  }

 private:
  static bool FileIdentity(const std::string& name,
                           BY_HANDLE_FILE_INFORMATION* info) {
    if (!UsablePath(name)) return false;
    // No access rights are needed to read a file's identity; the backup
    // flag lets the call open directories too.
    UniqueHandle file(CreateFileA(name.c_str(), 0, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                  nullptr));
    return file.Valid() && GetFileInformationByHandle(file.Get(), info);
  }

  std::string command_line_;
  std::vector<std::string> arguments_;
  HANDLE out_;
  HANDLE in_;
  bool out_is_console_ = false;
  bool in_is_console_ = false;
  int column_ = 0;
  int temporary_serial_ = 0;
};

}  // namespace

std::unique_ptr<Platform> CreatePlatform(int argc, char** argv) {
  // The scanner reads the command line as one text by rules of its own;
  // other programs take the C runtime's split of it, which `argv` holds.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return std::make_unique<Win32Platform>(std::move(arguments));
}

}  // namespace mavoscan
