#include "check/explain.h"

#include <algorithm>
#include <string_view>

#include "common/text.h"

namespace mavoscan {
namespace {

// What the text shows in full before "... and N more".
constexpr size_t kShownRuns = 20;
constexpr size_t kShownBreakers = 10;
constexpr size_t kShownGroupFiles = 10;
constexpr size_t kShownMarks = 4;
constexpr size_t kShownPatterns = 5;
// Longer byte runs and strings are cut there in the text ("...").
constexpr size_t kShownBytes = 16;
constexpr size_t kShownStringBytes = 32;
constexpr int kBarWidth = 20;

std::string ShortHex(std::string_view bytes) {
  if (bytes.size() <= kShownBytes) return Hex(bytes);
  return Hex(bytes.substr(0, kShownBytes)) + "...";
}

std::string ShortQuoted(std::string_view text) {
  if (text.size() <= kShownStringBytes) return Quoted(text);
  return Quoted(text.substr(0, kShownStringBytes)) + "...";
}

std::string AndMore(size_t shown, size_t total, std::string_view noun) {
  return "... and " + std::to_string(total - shown) + " more " +
         std::string(noun) + (total - shown == 1 ? "" : "s");
}

size_t ByteCount(const PatternList& patterns) {
  size_t count = 0;
  for (const Pattern& pattern : patterns) count += pattern.bytes.size();
  return count;
}

std::string PatternsSummary(const PatternList& patterns) {
  return Plural(patterns.size(), "pattern") + " (" +
         Plural(ByteCount(patterns), "byte") + ")";
}

struct HoldRow {
  std::string label;
  std::string detail;
  size_t held_by = 0;
};

std::string HoldTable(const ExplainReport& report, const TextStyle& style) {
  const size_t total = report.paths.size();
  std::vector<HoldRow> rows;
  for (size_t i = 0; i < report.patterns.size(); ++i) {
    const PatternHold& hold = report.patterns[i];
    rows.push_back({"pattern " + std::to_string(i + 1),
                    "offset " + std::to_string(hold.pattern.pos) + ": " +
                        ShortHex(hold.pattern.bytes),
                    hold.held_by});
  }
  for (size_t i = 0; i < report.strings.size(); ++i) {
    rows.push_back({"string " + std::to_string(i + 1),
                    ShortQuoted(report.strings[i].text),
                    report.strings[i].held_by});
  }
  if (rows.empty()) {
    return "The definition holds no pattern and no global string.\n";
  }
  size_t label_width = 0;
  size_t detail_width = 0;
  for (const HoldRow& row : rows) {
    label_width = std::max(label_width, row.label.size());
    detail_width = std::max(detail_width, row.detail.size());
  }
  const size_t count_width = std::to_string(total).size();
  std::string text = "Held by the " + Plural(total, "file") + ":\n";
  for (const HoldRow& row : rows) {
    text += "  " + PadRight(row.label, label_width) + "  " +
            PadRight(row.detail, detail_width) + "  " +
            PadLeft(std::to_string(row.held_by), count_width) + " of " +
            std::to_string(total) + "  " +
            PadLeft(Percent(row.held_by, total), 6);
    if (style.terminal) text += "  " + Bar(row.held_by, total, kBarWidth);
    text += "\n";
  }
  return text;
}

std::string RunsText(const ExplainReport& report) {
  const std::vector<BrokenRun>& runs = report.broken_runs;
  std::string text = "\nRuns most files share but some break: " +
                     (runs.empty() ? "none" : std::to_string(runs.size())) +
                     "\n";
  const size_t shown_runs = std::min(runs.size(), kShownRuns);
  for (size_t r = 0; r < shown_runs; ++r) {
    const BrokenRun& run = runs[r];
    text += "  offset " + std::to_string(run.offset) + ", " +
            Plural(run.bytes.size(), "byte") + ": " + ShortHex(run.bytes) +
            ", held by " + std::to_string(run.held_by) + " of " +
            std::to_string(report.paths.size()) + ", broken by:\n";
    const size_t shown = std::min(run.breakers.size(), kShownBreakers);
    for (size_t b = 0; b < shown; ++b) {
      const RunBreaker& breaker = run.breakers[b];
      text += "    " + ShownName(report.paths[breaker.file]) + ": ";
      if (!breaker.found.empty()) text += ShortHex(breaker.found);
      if (breaker.file_too_short) {
        text += breaker.found.empty() ? "file too short" : ", file too short";
      }
      text += "\n";
    }
    if (shown < run.breakers.size()) {
      text += "    " + AndMore(shown, run.breakers.size(), "file") + "\n";
    }
  }
  if (shown_runs < runs.size()) {
    text += "  " + AndMore(shown_runs, runs.size(), "run") + "\n";
  }
  return text;
}

std::string GroupsText(const ExplainReport& report) {
  const FileGrouping& grouping = report.grouping;
  const std::string whole = PatternsSummary(grouping.whole_set);
  if (grouping.groups.empty()) {
    return "\nGroups: none; no split of the files keeps clearly more than "
           "the whole set's " +
           whole + "\n";
  }
  std::string text = "\nGroups: the files fall into " +
                     std::to_string(grouping.groups.size()) +
                     " groups whose definitions keep more than the whole "
                     "set's " +
                     whole + "\n";
  for (size_t g = 0; g < grouping.groups.size(); ++g) {
    const FileGroup& group = grouping.groups[g];
    text += "  group " + std::to_string(g + 1) + ": " +
            Plural(group.files.size(), "file");
    const size_t marks = std::min(group.marks.size(), kShownMarks);
    for (size_t m = 0; m < marks; ++m) {
      text += ", offset " + std::to_string(group.marks[m].pos) + ": " +
              ShortHex(group.marks[m].bytes);
    }
    if (marks < group.marks.size()) {
      text += ", " + AndMore(marks, group.marks.size(), "offset");
    }
    text +=
        "\n    its definition would keep " + PatternsSummary(group.patterns);
    const size_t patterns = std::min(group.patterns.size(), kShownPatterns);
    for (size_t p = 0; p < patterns; ++p) {
      text += (p == 0 ? ": " : " ") + std::to_string(group.patterns[p].pos) +
              ":" + ShortHex(group.patterns[p].bytes);
    }
    if (patterns < group.patterns.size()) {
      text += " " + AndMore(patterns, group.patterns.size(), "pattern");
    }
    text += "\n";
    const size_t files = std::min(group.files.size(), kShownGroupFiles);
    for (size_t f = 0; f < files; ++f) {
      text += "    " + ShownName(report.paths[group.files[f]]) + "\n";
    }
    if (files < group.files.size()) {
      text += "    " + AndMore(files, group.files.size(), "file") + "\n";
    }
  }
  return text;
}

void JsonPatterns(const PatternList& patterns, JsonWriter* json) {
  json->BeginArray();
  for (const Pattern& pattern : patterns) {
    json->BeginObject();
    json->Member("offset", pattern.pos);
    json->HexMember("bytes", pattern.bytes);
    json->EndObject();
  }
  json->EndArray();
}

void JsonRuns(const ExplainReport& report, JsonWriter* json) {
  json->BeginArray();
  for (const BrokenRun& run : report.broken_runs) {
    json->BeginObject();
    json->Member("offset", run.offset);
    json->Member("length", run.bytes.size());
    json->HexMember("bytes", run.bytes);
    json->Member("held_by", run.held_by);
    json->Key("breakers");
    json->BeginArray();
    for (const RunBreaker& breaker : run.breakers) {
      json->BeginObject();
      json->BytesMember("path", report.paths[breaker.file]);
      json->HexMember("found", breaker.found);
      json->Member("file_too_short", breaker.file_too_short);
      json->EndObject();
    }
    json->EndArray();
    json->EndObject();
  }
  json->EndArray();
}

void JsonGroups(const ExplainReport& report, JsonWriter* json) {
  json->BeginArray();
  for (const FileGroup& group : report.grouping.groups) {
    json->BeginObject();
    json->Key("marks");
    JsonPatterns(group.marks, json);
    json->Member("file_count", group.files.size());
    json->Key("patterns");
    JsonPatterns(group.patterns, json);
    json->Key("files");
    json->BeginArray();
    for (size_t file : group.files) {
      json->BeginObject();
      json->BytesMember("path", report.paths[file]);
      json->EndObject();
    }
    json->EndArray();
    json->EndObject();
  }
  json->EndArray();
}

}  // namespace

ExplainReport Explain(const DefinitionContent& definition,
                      const std::vector<FileVerdict>& verdicts) {
  ExplainReport report;
  for (const DefinitionPattern& pattern : definition.patterns) {
    report.patterns.push_back({pattern, verdicts.size()});
  }
  for (const std::string& text : definition.strings) {
    report.strings.push_back({text, verdicts.size()});
  }
  std::vector<std::string> fronts;
  for (const FileVerdict& verdict : verdicts) {
    report.paths.push_back(verdict.path);
    fronts.push_back(verdict.front);
    for (const PatternMiss& miss : verdict.failed_patterns) {
      --report.patterns[miss.pattern].held_by;
    }
    // A string is in one of the two lists, as the definition checks strings
    // or not.
    for (size_t index : verdict.missing_strings) {
      --report.strings[index].held_by;
    }
    for (size_t index : verdict.unchecked_missing_strings) {
      --report.strings[index].held_by;
    }
  }
  report.broken_runs = FindBrokenRuns(fronts);
  report.grouping = GroupFiles(fronts);
  return report;
}

std::string ExplainText(const ExplainReport& report, const TextStyle& style) {
  return "\n" + HoldTable(report, style) + RunsText(report) +
         GroupsText(report);
}

void ExplainJson(const ExplainReport& report, JsonWriter* json) {
  json->BeginObject();
  json->Member("file_count", report.paths.size());
  json->Key("patterns");
  json->BeginArray();
  for (size_t i = 0; i < report.patterns.size(); ++i) {
    const PatternHold& hold = report.patterns[i];
    json->BeginObject();
    json->Member("pattern", i + 1);
    json->Member("offset", hold.pattern.pos);
    json->HexMember("bytes", hold.pattern.bytes);
    json->Member("held_by", hold.held_by);
    json->EndObject();
  }
  json->EndArray();
  json->Key("strings");
  json->BeginArray();
  for (size_t i = 0; i < report.strings.size(); ++i) {
    json->BeginObject();
    json->Member("string", i + 1);
    json->BytesMember("text", report.strings[i].text);
    json->Member("held_by", report.strings[i].held_by);
    json->EndObject();
  }
  json->EndArray();
  json->Key("broken_runs");
  JsonRuns(report, json);
  json->Key("whole_set_patterns");
  JsonPatterns(report.grouping.whole_set, json);
  json->Key("groups");
  JsonGroups(report, json);
  json->EndObject();
}

}  // namespace mavoscan
