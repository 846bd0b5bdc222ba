#include "export/export_command.h"

#include <memory>
#include <utility>

#include "common/json_writer.h"
#include "match/file_verifier.h"
#include "match/strict_definition.h"
#include "platform/platform.h"

namespace mavoscan {
namespace {

// The checker's exit codes (check/check_commands.h, which this folder does
// not include: the checker's commands include it).
constexpr int kExported = 0;
constexpr int kExportFailed = 2;

// Writes `text` to `path` through a temporary file beside it, so that a
// failed write leaves any earlier file of that name as it was.
bool WriteExport(Platform& platform, const std::string& path,
                 const std::string& text, std::string* err) {
  std::string temporary;
  std::unique_ptr<WritableFile> file =
      platform.CreateTemporaryBeside(path, &temporary);
  if (file == nullptr) {
    *err = WithReason(platform, "cannot write " + path);
    return false;
  }
  bool written = file->Append(text);
  if (!file->Close()) written = false;
  if (written && platform.ReplaceFile(temporary, path)) return true;
  *err = WithReason(platform, "cannot write " + path);
  platform.DeleteFile(temporary);
  return false;
}

bool CheckExport(const ParsedCommand& parsed, std::string* err) {
  if (parsed.operands().empty()) {
    *err = "no definition file given";
    return false;
  }
  if (parsed.operands().size() > 1) {
    *err = "export takes one definition, not " +
           std::to_string(parsed.operands().size()) + " operands";
    return false;
  }
  ExportFormat format;
  if (!parsed.Has("--format")) {
    *err = "no --format given (magic, yara, mime or droid)";
    return false;
  }
  if (!ParseExportFormat(parsed.Text("--format"), &format)) {
    *err = "--format takes magic, yara, mime or droid, not \"" +
           parsed.Text("--format") + "\"";
    return false;
  }
  if (parsed.Has("--out") && parsed.Text("--out") == parsed.operands()[0]) {
    // The export would take the definition's place.
    *err = "--out names the definition itself";
    return false;
  }
  if (parsed.Has("--mime-type") && format != ExportFormat::kMime) {
    *err = "--mime-type goes with --format mime only";
    return false;
  }
  return true;
}

CommandOutcome RunExport(Platform& platform, const ParsedCommand& parsed) {
  const std::string& definition_file = parsed.operands()[0];
  DefinitionContent definition;
  std::string err;
  if (!ReadExportedDefinition(platform, definition_file, &definition, &err)) {
    return ErrorOutcome(err);
  }
  ExportRequest request;
  ParseExportFormat(parsed.Text("--format"), &request.format);
  request.name = parsed.Text("--name");
  request.mime_type = parsed.Text("--mime-type");
  request.now = platform.Now();
  ExportResult result;
  if (!ExportDefinition(definition, request, &result, &err)) {
    return ErrorOutcome(definition_file + ": " + err);
  }

  CommandOutcome outcome;
  const std::string_view format_name = ExportFormatName(request.format);
  for (const ExportLoss& loss : result.losses) {
    outcome.notes.push_back(
        "loss: the " + std::string(format_name) +
        " export checks less than the definition: " + loss.text);
  }
  if (parsed.Has("--strict") && !result.losses.empty()) {
    outcome.exit_code = kExportFailed;
    outcome.error = "--strict: the " + std::string(format_name) +
                    " export checks less than " + definition_file +
                    ", so none is written";
    return outcome;
  }
  std::optional<std::string> out_file;
  if (parsed.Has("--out")) {
    out_file = parsed.Text("--out");
    if (!WriteExport(platform, *out_file, result.text, &err)) {
      return ErrorOutcome(err);
    }
  }
  if (parsed.Has("--json")) {
    outcome.report =
        ExportJson(definition_file, request.format, out_file, result);
  } else if (!out_file.has_value()) {
    outcome.report = std::move(result.text);
  }
  outcome.exit_code = kExported;
  return outcome;
}

}  // namespace

bool ReadExportedDefinition(Platform& platform, const std::string& path,
                            DefinitionContent* definition, std::string* err) {
  if (!ReadStrictDefinition(platform, path, definition, err)) return false;
  // The strict reader keeps what testing files needs; the fields an export
  // also shows come from the loader, which reads them as the scanner does.
  DefinitionContent described;
  if (!ReadDefinitionContent(platform, path, &described, err)) {
    *err = WithReason(platform, *err);
    return false;
  }
  definition->ext = std::move(described.ext);
  definition->user = std::move(described.user);
  definition->creator = std::move(described.creator);
  definition->file_num = described.file_num;
  return true;
}

std::string ExportJson(const std::string& definition_file, ExportFormat format,
                       const std::optional<std::string>& out_file,
                       const ExportResult& result) {
  JsonWriter json;
  json.BeginObject();
  json.Member("format", "mavocheck-export/1");
  json.BytesMember("definition", definition_file);
  json.Member("export_format", ExportFormatName(format));
  json.Member("label", result.label);
  if (out_file.has_value()) {
    json.BytesMember("out", *out_file);
  } else {
    json.Key("out");
    json.Null();
  }
  json.Key("losses");
  json.BeginArray();
  for (const ExportLoss& loss : result.losses) {
    json.BeginObject();
    json.Member("kind", LossKindName(loss.kind));
    json.Key("strings");
    json.BeginArray();
    for (size_t number : loss.strings) json.Number(number);
    json.EndArray();
    if (loss.kind == LossKind::kReadWindow) {
      json.Member("read_window", loss.read_window);
    }
    json.Member("text", loss.text);
    json.EndObject();
  }
  json.EndArray();
  json.Member("lossless", result.losses.empty());
  if (!out_file.has_value()) json.Member("text", result.text);
  json.EndObject();
  return json.Take() + "\n";
}

Subcommand ExportCommand() {
  return {"export",
          "DEF",
          "writes the definition as a signature of another identifier: a "
          "magic(5) entry,\na YARA rule, a shared-mime-info package or a "
          "DROID signature file; says what\nthat identifier checks less",
          {
              {"--format", OptionKind::kText, "FORMAT",
               "magic, yara, mime or droid"},
              {"--out", OptionKind::kText, "FILE",
               "write the export to FILE instead of standard output"},
              {"--name", OptionKind::kText, "NAME",
               "the message, rule name or comment (default: the FileType)"},
              {"--mime-type", OptionKind::kText, "TYPE",
               "the MIME type of a mime export (default: application/x-NAME)"},
              {"--strict", OptionKind::kFlag, "",
               "fail (exit 2) when the export checks less than the "
               "definition"},
          },
          CheckExport,
          RunExport};
}

}  // namespace mavoscan
