#include "identify/identify_command.h"

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "identify/identify_library.h"
#include "identify/identify_report.h"
#include "identify/identify_run.h"
#include "identify/library_loader.h"
#include "identify/path_list.h"
#include "match/named_files.h"
#include "platform/platform.h"

namespace mavoscan {
namespace {

constexpr int kExitRead = 0;
constexpr int kExitUnreadable = 1;
constexpr uint64_t kMaxThreads = 64;
// Threads when --threads is not given: one per core, and no more than
// reading files tends to keep busy.
constexpr unsigned kDefaultThreadLimit = 8;

int DefaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(cores, 1u, kDefaultThreadLimit));
}

bool CheckIdentify(const ParsedCommand& parsed, std::string* err) {
  if (!parsed.Has("--defs")) {
    *err = "no definitions given (--defs DIR or --defs DEF)";
    return false;
  }
  if (parsed.operands().empty() && !parsed.Has("--files-from")) {
    *err = "no files given (MASK... or --files-from FILE)";
    return false;
  }
  if (parsed.Has("-0") && !parsed.Has("--files-from")) {
    *err = "-0 goes with --files-from";
    return false;
  }
  return true;
}

// The paths to identify: those of the masks first, then the list's, taken
// from the list as it is read.
class PathInput {
 public:
  PathInput(std::vector<std::string> expanded, InputStream* list,
            ListSeparator separator)
      : expanded_(std::move(expanded)) {
    if (list != nullptr) list_ = std::make_unique<PathList>(*list, separator);
  }

  bool Next(std::string* path) {
    if (next_ < expanded_.size()) {
      *path = std::move(expanded_[next_++]);
      return true;
    }
    if (list_ == nullptr || failed_) return false;
    switch (list_->Next(path)) {
      case ListItem::kPath:
        return true;
      case ListItem::kEnd:
        return false;
      case ListItem::kError:
        failed_ = true;
        return false;
    }
    return false;
  }
  bool failed() const { return failed_; }

 private:
  std::vector<std::string> expanded_;
  size_t next_ = 0;
  std::unique_ptr<PathList> list_;
  bool failed_ = false;
};

std::string WithSystemReason(Platform& platform, std::string text) {
  const std::string reason = platform.FailureReason();
  if (!reason.empty()) text += " (" + reason + ")";
  return text;
}

CommandOutcome RunIdentify(Platform& platform, const ParsedCommand& parsed) {
  std::vector<LibraryDefinition> definitions;
  std::string err;
  if (!LoadLibrary(platform, parsed.Texts("--defs"), &definitions, &err)) {
    return ErrorOutcome(err);
  }
  const IdentifyLibrary library(std::move(definitions));

  std::vector<std::string> paths;
  if (!parsed.operands().empty() &&
      !ExpandMasks(platform, parsed.operands(), /*once=*/false, &paths, &err)) {
    return ErrorOutcome(err);
  }
  std::unique_ptr<InputStream> list;
  const std::string list_name = parsed.Text("--files-from");
  if (!list_name.empty()) {
    list = list_name == "-" ? platform.StandardInput()
                            : platform.OpenInputStream(list_name);
    if (list == nullptr) {
      return ErrorOutcome(
          WithSystemReason(platform, "cannot open " + list_name));
    }
  }
  PathInput input(
      std::move(paths), list.get(),
      parsed.Has("-0") ? ListSeparator::kNul : ListSeparator::kNewline);

  const MatchesShown shown =
      parsed.Has("--all") ? MatchesShown::kAll : MatchesShown::kBest;
  const bool json = parsed.Has("--json");
  size_t files = 0;
  size_t unreadable = 0;
  std::string write_error;
  const bool written = IdentifyFiles(
      platform, library,
      static_cast<int>(parsed.Number("--threads", DefaultThreads())),
      [&input](std::string* path) { return input.Next(path); },
      [&](std::vector<FileIdentity>& done) {
        std::string text;
        for (const FileIdentity& identity : done) {
          ++files;
          if (!identity.error.empty()) ++unreadable;
          text += json ? IdentityJson(library, identity, shown)
                       : IdentityText(library, identity, shown);
        }
        if (platform.WriteReport(text)) return true;
        write_error = WithSystemReason(platform, "cannot write the report");
        return false;
      });
  if (!written) return ErrorOutcome(write_error);
  if (input.failed()) {
    return ErrorOutcome(WithSystemReason(platform, "cannot read " + list_name));
  }

  CommandOutcome outcome;
  outcome.exit_code = kExitRead;
  if (unreadable > 0) {
    outcome.exit_code = kExitUnreadable;
    outcome.notes.push_back(std::to_string(unreadable) + " of " +
                            std::to_string(files) + " files could not be read");
  }
  return outcome;
}

}  // namespace

Subcommand IdentifyCommand() {
  return {"identify",
          "[MASK...]",
          "tells which type each file is by a library of definitions: the "
          "best match,\nits evidence in bits, ties, or unknown; one line per "
          "file as it is done",
          {
              {"--defs", OptionKind::kTexts, "DIR|DEF",
               "the definitions (required): every *.mavo.xml of a\n"
               "directory, or one file; may be repeated"},
              {"--files-from", OptionKind::kText, "FILE",
               "the files named in FILE, one a line; - for standard\ninput"},
              {"-0", OptionKind::kFlag, "",
               "the names in FILE end in NUL (find -print0)"},
              {"--all", OptionKind::kFlag, "",
               "every definition that matches, best first"},
              {"--threads", OptionKind::kNumber, "N",
               "files identified at once (default: one per core, at\nmost 8)",
               1, kMaxThreads},
          },
          CheckIdentify,
          RunIdentify,
          "Exit status: 0 when every file was read, whether or not it "
          "matched, 1 when\nsome could not be read, 2 on a usage error, an "
          "unreadable or malformed\ndefinition, a mask that matches no file, "
          "a list that cannot be read or a\nreport that cannot be written.\n"};
}

}  // namespace mavoscan
