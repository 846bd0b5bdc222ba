#include "tune/split_command.h"

#include <string>
#include <vector>

#include "check/check_commands.h"
#include "check/report_text.h"
#include "common/failure.h"
#include "common/json_writer.h"
#include "common/text.h"
#include "output/definition_writer.h"
#include "platform/platform.h"
#include "tune/split.h"
#include "tune/tune_report.h"
#include "tune/tuned_output.h"

namespace mavoscan {
namespace {

// What one group became.
struct WrittenGroup {
  const SplitGroup* group = nullptr;
  std::string definition_file;
  std::string list_file;
};

std::string MarksText(const PatternList& marks) {
  std::string text;
  for (const Pattern& mark : marks) {
    text += (text.empty() ? "" : ", ") + std::string("offset ") +
            std::to_string(mark.pos) + ": " + Hex(mark.bytes);
  }
  return text;
}

std::string SplitText(const SplitResult& result,
                      const std::vector<WrittenGroup>& written) {
  std::string text =
      result.grouped
          ? "The " + Plural(result.sample_count, "file") + " fall into " +
                std::to_string(result.groups.size()) + " groups\n"
          : "The " + Plural(result.sample_count, "file") +
                " form one group: no split keeps clearly more than the "
                "whole set\n";
  for (size_t g = 0; g < written.size(); ++g) {
    const SplitGroup& group = *written[g].group;
    size_t bytes = 0;
    for (const DefinitionPattern& pattern : group.definition.patterns) {
      bytes += pattern.bytes.size();
    }
    text += "  group " + std::to_string(g + 1) + ": " +
            Plural(group.files.size(), "file");
    if (!group.marks.empty()) text += ", " + MarksText(group.marks);
    text += "\n    " + ShownName(written[g].definition_file) + ": " +
            Plural(group.definition.patterns.size(), "pattern") + " of " +
            Plural(bytes, "byte") + ", " +
            Plural(group.definition.strings.size(), "global string") +
            "\n    " + ShownName(written[g].list_file) + ": its files\n";
  }
  return text;
}

std::string SplitJson(const SplitResult& result,
                      const std::vector<CrossSample>& samples,
                      const std::vector<WrittenGroup>& written) {
  JsonWriter json;
  json.BeginObject();
  json.Member("format", kSplitFormat);
  json.Member("samples", result.sample_count);
  json.Member("grouped", result.grouped);
  json.Key("groups");
  json.BeginArray();
  for (const WrittenGroup& entry : written) {
    const SplitGroup& group = *entry.group;
    json.BeginObject();
    json.BytesMember("definition", entry.definition_file);
    json.BytesMember("file_list", entry.list_file);
    json.Key("marks");
    json.BeginArray();
    for (const Pattern& mark : group.marks) {
      json.BeginObject();
      json.Member("offset", mark.pos);
      json.HexMember("bytes", mark.bytes);
      json.EndObject();
    }
    json.EndArray();
    json.Member("patterns", group.definition.patterns.size());
    json.Member("strings", group.definition.strings.size());
    json.Key("files");
    json.BeginArray();
    for (size_t f : group.files) {
      json.BeginObject();
      json.BytesMember("path", samples[f].path);
      json.EndObject();
    }
    json.EndArray();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return json.Take() + "\n";
}

CommandOutcome RunSplit(Platform& platform, const ParsedCommand& parsed) {
  std::string directory = parsed.Text("--out-dir");
  if (!directory.ends_with('/') && !directory.ends_with('\\')) {
    directory += '/';
  }
  std::vector<CrossSample> samples;
  SplitResult result;
  std::string err;
  if (!CollectCrossSamples(platform, parsed.operands(), &samples, &err) ||
      !SplitSamples(platform, samples, &result, &err)) {
    return ErrorOutcome(err);
  }
  std::vector<WrittenGroup> written;
  for (size_t g = 0; g < result.groups.size(); ++g) {
    const std::string stem = directory + "group" + std::to_string(g + 1);
    written.push_back({&result.groups[g], stem + ".mavo.xml", stem + ".files"});
  }
  // Only new files: a split never replaces what an earlier one wrote.
  for (const WrittenGroup& entry : written) {
    for (const std::string* name : {&entry.definition_file, &entry.list_file}) {
      if (platform.FileExists(*name)) {
        return ErrorOutcome(*name +
                            " exists already; give --out-dir a directory "
                            "without groups");
      }
    }
  }
  for (const WrittenGroup& entry : written) {
    const SplitGroup& group = *entry.group;
    std::string list;
    for (size_t f : group.files) list += samples[f].path + "\n";
    Failure failure;
    if (!WriteDerivedDefinition(
            platform, entry.definition_file,
            NewDefinitionInfo(group.ext,
                              static_cast<int32_t>(group.files.size())),
            group.definition, &err)) {
      return ErrorOutcome(err);
    }
    if (!WriteDefinition(platform,
                         {entry.list_file, false, "", BackupOf::kOutputFile},
                         list, &failure)) {
      return ErrorOutcome(ScannerFailureLine(failure));
    }
  }
  CommandOutcome outcome;
  outcome.report = parsed.Has("--json") ? SplitJson(result, samples, written)
                                        : SplitText(result, written);
  outcome.exit_code = kCheckPassed;
  return outcome;
}

}  // namespace

Subcommand SplitCommand() {
  return {"split",
          "MASK...",
          "splits a mixed set of files into groups and writes the "
          "definition the scanner\nbuilds from each, with its file list",
          {
              {"--out-dir", OptionKind::kText, "DIR",
               "the existing directory to write the groups into"},
          },
          [](const ParsedCommand& parsed, std::string* err) {
            if (parsed.operands().empty()) {
              *err = "no samples mask given";
              return false;
            }
            if (parsed.Text("--out-dir").empty()) {
              *err = "split needs --out-dir DIR";
              return false;
            }
            return true;
          },
          RunSplit};
}

}  // namespace mavoscan
