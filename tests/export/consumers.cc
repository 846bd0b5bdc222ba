#include "export/consumers.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "export/droid_matcher.h"
#include "match/file_verifier.h"
#include "platform/platform.h"

#ifdef MAVO_HAVE_LIBMAGIC
#include <magic.h>
#endif

namespace mavoscan::export_test {
namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted.push_back(c);
    }
  }
  return quoted + "'";
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace

ScratchDir::ScratchDir() {
  const char* tmp = getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
      "/mavo-export-XXXXXX";
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& rel,
                              const std::string& data) const {
  const std::filesystem::path full = std::filesystem::path(path_) / rel;
  std::filesystem::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << data;
  return full.string();
}

std::string ScratchDir::WriteSparse(
    const std::string& rel, int64_t size,
    const std::vector<std::pair<int64_t, std::string>>& pieces) const {
  const std::string full = Write(rel, "");
  std::filesystem::resize_file(full, static_cast<uintmax_t>(size));
  std::fstream out(full, std::ios::binary | std::ios::in | std::ios::out);
  for (const auto& [offset, bytes] : pieces) {
    out.seekp(offset);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return full;
}

bool LossExplains(const std::vector<ExportLoss>& losses, int64_t size,
                  bool consumer_matches) {
  for (const ExportLoss& loss : losses) {
    switch (loss.kind) {
      case LossKind::kReadWindow:
        if (!consumer_matches && size > loss.read_window) return true;
        break;
      case LossKind::kCase:
      case LossKind::kCodePage437:
        if (!consumer_matches) return true;
        break;
      case LossKind::kStringLimit:
        if (consumer_matches) return true;
        break;
    }
  }
  return false;
}

int RunShell(const std::string& command, std::string* out) {
  out->clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    out->append(buffer, got);
  }
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveCommand(const std::string& name) {
  std::string out;
  return RunShell("command -v " + name, &out) == 0;
}

ConsumerRun RunLibmagic(const std::string& exported, const std::string& label,
                        const std::vector<std::string>& paths) {
  ConsumerRun run;
#ifdef MAVO_HAVE_LIBMAGIC
  ScratchDir dir;
  const std::string magic_path = dir.Write("export.magic", exported);
  // Only the exported entry: no compiled database, no built-in tests of
  // text, encodings or archives, so a file it does not match is "data".
  magic_t cookie = magic_open(MAGIC_NO_CHECK_COMPRESS | MAGIC_NO_CHECK_TAR |
                              MAGIC_NO_CHECK_ENCODING | MAGIC_NO_CHECK_TEXT |
                              MAGIC_NO_CHECK_CDF | MAGIC_NO_CHECK_ELF |
                              MAGIC_NO_CHECK_JSON | MAGIC_NO_CHECK_CSV);
  if (cookie == nullptr) {
    run.error = "magic_open failed";
    return run;
  }
  if (magic_load(cookie, magic_path.c_str()) != 0) {
    const char* reason = magic_error(cookie);
    run.error = std::string("magic_load: ") + (reason ? reason : "failed");
    magic_close(cookie);
    return run;
  }
  for (const std::string& path : paths) {
    const char* said = magic_file(cookie, path.c_str());
    if (said == nullptr) {
      run.error = "magic_file " + path + ": " + magic_error(cookie);
      break;
    }
    run.matches.push_back(std::string(said) == label);
  }
  magic_close(cookie);
#else
  (void)exported;
  (void)label;
  (void)paths;
  run.skipped = "libmagic is not installed";
#endif
  return run;
}

ConsumerRun RunYara(const std::string& exported, const std::string& label,
                    const std::vector<std::string>& paths) {
  ConsumerRun run;
  if (!HaveCommand("yara")) {
    run.skipped = "yara is not installed";
    return run;
  }
  ScratchDir dir;
  const std::string rules = dir.Write("export.yar", exported);
  // One run per directory of files: the command takes one target.
  std::map<std::string, std::vector<size_t>> by_directory;
  for (size_t i = 0; i < paths.size(); ++i) {
    by_directory[std::filesystem::path(paths[i]).parent_path().string()]
        .push_back(i);
  }
  run.matches.assign(paths.size(), false);
  for (const auto& [directory, indexes] : by_directory) {
    std::string out;
    const std::string errors = dir.path() + "/errors";
    const int status = RunShell(
        "yara " + Quote(rules) + " " + Quote(directory) + " 2>" + Quote(errors),
        &out);
    const std::string complaints = ReadWhole(errors);
    if (status != 0 || !complaints.empty()) {
      run.error = "yara: " + complaints + out;
      return run;
    }
    for (size_t index : indexes) {
      // Each match is a line "RULE PATH".
      const std::string path = paths[index];
      run.matches[index] =
          out.find(label + " " + path + "\n") != std::string::npos;
    }
  }
  return run;
}

ConsumerRun RunMimeDatabase(const std::string& exported,
                            const std::string& label,
                            const std::vector<std::string>& paths) {
  ConsumerRun run;
  if (!HaveCommand("update-mime-database") || !HaveCommand("gio")) {
    run.skipped = "shared-mime-info or gio is not installed";
    return run;
  }
  // A database of this export alone: XDG_DATA_HOME holds it, and
  // XDG_DATA_DIRS names an empty folder instead of the system's.
  ScratchDir dir;
  dir.Write("home/mime/packages/export.xml", exported);
  dir.Write("empty/.keep", "");
  const std::string env = "XDG_DATA_HOME=" + Quote(dir.path() + "/home") +
                          " XDG_DATA_DIRS=" + Quote(dir.path() + "/empty");
  std::string out;
  if (RunShell(env + " update-mime-database " +
                   Quote(dir.path() + "/home/mime") + " 2>&1 | grep -i " +
                   "-e error -e warn -e invalid -e unknown",
               &out) == 0) {
    run.error = "update-mime-database: " + out;
    return run;
  }
  std::string command = env + " gio info -a standard::content-type";
  for (const std::string& path : paths) command += " " + Quote(path);
  if (RunShell(command, &out) != 0) {
    run.error = "gio: " + out;
    return run;
  }
  // One "standard::content-type: TYPE" line per file, in order.
  std::istringstream lines(out);
  std::string line;
  const std::string key = "standard::content-type: ";
  while (std::getline(lines, line)) {
    const size_t at = line.find(key);
    if (at != std::string::npos) {
      run.matches.push_back(line.substr(at + key.size()) == label);
    }
  }
  if (run.matches.size() != paths.size()) {
    run.error = "gio gave " + std::to_string(run.matches.size()) +
                " content types for " + std::to_string(paths.size()) +
                " files: " + out;
  }
  return run;
}

ConsumerRun RunDroidMatcher(const std::string& exported,
                            const std::vector<std::string>& paths) {
  ConsumerRun run;
  DroidMatcher matcher;
  if (!matcher.Load(exported, &run.error)) return run;
  for (const std::string& path : paths) {
    run.matches.push_back(matcher.Matches(ReadWhole(path)));
  }
  return run;
}

ConsumerRun RunConsumer(ExportFormat format, const std::string& exported,
                        const std::string& label,
                        const std::vector<std::string>& paths) {
  switch (format) {
    case ExportFormat::kMagic:
      return RunLibmagic(exported, label, paths);
    case ExportFormat::kYara:
      return RunYara(exported, label, paths);
    case ExportFormat::kMime:
      return RunMimeDatabase(exported, label, paths);
    case ExportFormat::kDroid:
      return RunDroidMatcher(exported, paths);
  }
  return {};
}

std::vector<bool> VerifyVerdicts(const DefinitionContent& definition,
                                 const std::vector<std::string>& paths) {
  char program[] = "mavocheck";
  char* argv[] = {program, nullptr};
  std::unique_ptr<Platform> platform = CreatePlatform(1, argv);
  FileVerifier verifier(definition);
  std::vector<bool> verdicts;
  for (const std::string& path : paths) {
    FileVerdict verdict;
    std::string err;
    verdicts.push_back(verifier.Verify(*platform, path, &verdict, &err) &&
                       verdict.Matches());
  }
  return verdicts;
}

}  // namespace mavoscan::export_test
