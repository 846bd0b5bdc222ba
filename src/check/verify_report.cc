#include "check/verify_report.h"

#include <string_view>

#include "check/report_text.h"

namespace mavoscan {
namespace {

size_t MatchCount(const std::vector<FileVerdict>& verdicts) {
  size_t count = 0;
  for (const FileVerdict& verdict : verdicts) count += verdict.Matches();
  return count;
}

void AppendVerdict(const DefinitionContent& definition,
                   const FileVerdict& verdict, std::string* text) {
  *text += verdict.path + (verdict.Matches() ? ": match\n" : ": no match\n");
  for (const PatternMiss& miss : verdict.failed_patterns) {
    const DefinitionPattern& pattern = definition.patterns[miss.pattern];
    *text += "  pattern " + std::to_string(miss.pattern + 1) + " at offset " +
             std::to_string(pattern.pos) + ": expected " + Hex(pattern.bytes) +
             ", found " + (miss.found.empty() ? "nothing" : Hex(miss.found)) +
             (miss.file_too_short ? ", file too short\n" : "\n");
  }
  for (size_t index : verdict.missing_strings) {
    *text += "  string " + std::to_string(index + 1) +
             " missing: " + Quoted(definition.strings[index]) + "\n";
  }
}

std::string JsonVerdicts(const DefinitionContent& definition,
                         const std::vector<FileVerdict>& verdicts) {
  std::string json = "[";
  for (size_t f = 0; f < verdicts.size(); ++f) {
    const FileVerdict& verdict = verdicts[f];
    json += f == 0 ? "" : ",";
    json += "{\"path\":" + JsonString(verdict.path) +
            ",\"match\":" + (verdict.Matches() ? "true" : "false") +
            ",\"failed_patterns\":[";
    for (size_t m = 0; m < verdict.failed_patterns.size(); ++m) {
      const PatternMiss& miss = verdict.failed_patterns[m];
      const DefinitionPattern& pattern = definition.patterns[miss.pattern];
      json += m == 0 ? "" : ",";
      json +=
          "{\"pattern\":" + std::to_string(miss.pattern + 1) +
          ",\"offset\":" + std::to_string(pattern.pos) + ",\"expected\":\"" +
          Hex(pattern.bytes) + "\",\"found\":\"" + Hex(miss.found) +
          "\",\"file_too_short\":" + (miss.file_too_short ? "true" : "false") +
          "}";
    }
    json += "],\"missing_strings\":[";
    for (size_t m = 0; m < verdict.missing_strings.size(); ++m) {
      const size_t index = verdict.missing_strings[m];
      json += m == 0 ? "" : ",";
      json += "{\"string\":" + std::to_string(index + 1) +
              ",\"text\":" + JsonString(definition.strings[index]) + "}";
    }
    json += "]}";
  }
  return json + "]";
}

}  // namespace

bool VerifyReport::Passed() const {
  return MatchCount(files) == files.size() && MatchCount(not_files) == 0;
}

std::string TextReport(const VerifyReport& report) {
  const DefinitionContent& definition = *report.definition;
  std::string text =
      "Definition " + report.definition_file + ": " +
      Plural(definition.patterns.size(), "pattern") + ", " +
      Plural(definition.strings.size(), "global string") +
      (definition.check_strings ? " (checked)\n" : " (not checked)\n");
  if (!report.files.empty()) {
    text += "\n";
    for (const FileVerdict& verdict : report.files) {
      AppendVerdict(definition, verdict, &text);
    }
    text += std::to_string(MatchCount(report.files)) + " of " +
            std::to_string(report.files.size()) + " match\n";
  }
  if (!report.not_files.empty()) {
    text += "\nFiles that must not match:\n";
    std::string matching;
    for (const FileVerdict& verdict : report.not_files) {
      AppendVerdict(definition, verdict, &text);
      if (verdict.Matches()) matching += " " + verdict.path;
    }
    const size_t count = report.not_files.size();
    text += std::to_string(count - MatchCount(report.not_files)) + " of " +
            std::to_string(count) + " do not match";
    text += matching.empty() ? "\n" : "; matching:" + matching + "\n";
  }
  return text;
}

std::string JsonReport(const VerifyReport& report, bool passed,
                       const std::string& more_members) {
  const DefinitionContent& definition = *report.definition;
  std::string json = "{\"definition\":" + JsonString(report.definition_file) +
                     ",\"file_type\":" + JsonString(definition.file_type) +
                     ",\"patterns\":[";
  for (size_t p = 0; p < definition.patterns.size(); ++p) {
    json += p == 0 ? "" : ",";
    json += "{\"offset\":" + std::to_string(definition.patterns[p].pos) +
            ",\"bytes\":\"" + Hex(definition.patterns[p].bytes) + "\"}";
  }
  json += "],\"check_strings\":";
  json += definition.check_strings ? "true" : "false";
  json += ",\"strings\":[";
  for (size_t s = 0; s < definition.strings.size(); ++s) {
    json += (s == 0 ? "" : ",") + JsonString(definition.strings[s]);
  }
  json +=
      "],\"files\":" + JsonVerdicts(definition, report.files) +
      ",\"matched\":" + std::to_string(MatchCount(report.files)) +
      ",\"not_files\":" + JsonVerdicts(definition, report.not_files) +
      ",\"not_matched\":" +
      std::to_string(report.not_files.size() - MatchCount(report.not_files)) +
      more_members + ",\"passed\":" + (passed ? "true" : "false") + "}\n";
  return json;
}

}  // namespace mavoscan
