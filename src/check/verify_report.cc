#include "check/verify_report.h"

#include <string_view>

#include "check/report_text.h"
#include "common/text.h"

namespace mavoscan {
namespace {

size_t MatchCount(const std::vector<FileVerdict>& verdicts) {
  size_t count = 0;
  for (const FileVerdict& verdict : verdicts) count += verdict.Matches();
  return count;
}

void AppendVerdict(const DefinitionContent& definition,
                   const FileVerdict& verdict, std::string* text) {
  *text += ShownName(verdict.path) +
           (verdict.Matches() ? ": match\n" : ": no match\n");
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

void JsonVerdicts(const DefinitionContent& definition,
                  const std::vector<FileVerdict>& verdicts, JsonWriter* json) {
  json->BeginArray();
  for (const FileVerdict& verdict : verdicts) {
    json->BeginObject();
    json->BytesMember("path", verdict.path);
    json->Member("match", verdict.Matches());
    json->Key("failed_patterns");
    json->BeginArray();
    for (const PatternMiss& miss : verdict.failed_patterns) {
      const DefinitionPattern& pattern = definition.patterns[miss.pattern];
      json->BeginObject();
      json->Member("pattern", miss.pattern + 1);
      json->Member("offset", pattern.pos);
      json->HexMember("expected", pattern.bytes);
      json->HexMember("found", miss.found);
      json->Member("file_too_short", miss.file_too_short);
      json->EndObject();
    }
    json->EndArray();
    json->Key("missing_strings");
    json->BeginArray();
    for (size_t index : verdict.missing_strings) {
      json->BeginObject();
      json->Member("string", index + 1);
      json->BytesMember("text", definition.strings[index]);
      json->EndObject();
    }
    json->EndArray();
    json->EndObject();
  }
  json->EndArray();
}

}  // namespace

bool VerifyReport::Passed() const {
  return MatchCount(files) == files.size() && MatchCount(not_files) == 0;
}

std::string TextReport(const VerifyReport& report) {
  const DefinitionContent& definition = *report.definition;
  std::string text =
      "Definition " + ShownName(report.definition_file) + ": " +
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
      if (verdict.Matches()) matching += " " + ShownName(verdict.path);
    }
    const size_t count = report.not_files.size();
    text += std::to_string(count - MatchCount(report.not_files)) + " of " +
            std::to_string(count) + " do not match";
    text += matching.empty() ? "\n" : "; matching:" + matching + "\n";
  }
  return text;
}

void VerifyJson(const VerifyReport& report, JsonWriter* json) {
  const DefinitionContent& definition = *report.definition;
  json->BytesMember("definition", report.definition_file);
  json->BytesMember("file_type", definition.file_type);
  json->Key("patterns");
  json->BeginArray();
  for (const DefinitionPattern& pattern : definition.patterns) {
    json->BeginObject();
    json->Member("offset", pattern.pos);
    json->HexMember("bytes", pattern.bytes);
    json->EndObject();
  }
  json->EndArray();
  json->Member("check_strings", definition.check_strings);
  json->Key("strings");
  json->BeginArray();
  for (size_t s = 0; s < definition.strings.size(); ++s) {
    json->BeginObject();
    json->Member("string", s + 1);
    json->BytesMember("text", definition.strings[s]);
    json->EndObject();
  }
  json->EndArray();
  json->Key("files");
  JsonVerdicts(definition, report.files, json);
  json->Member("matched", MatchCount(report.files));
  json->Key("not_files");
  JsonVerdicts(definition, report.not_files, json);
  json->Member("not_matched",
               report.not_files.size() - MatchCount(report.not_files));
}

}  // namespace mavoscan
