#include "tune/tune_report.h"

#include <map>

#include "check/report_text.h"
#include "common/json_writer.h"
#include "common/text.h"

namespace mavoscan {
namespace {

// How many dropped runs, strings and inseparable files the text names
// before "... and N more"; JSON lists them all.
constexpr size_t kShown = 10;

std::string ReasonText(DropReason reason) {
  switch (reason) {
    case DropReason::kFailsOnSamples:
      return "given samples lack it";
    case DropReason::kVariedUnseen:
      return "its field varied in unseen samples";
    case DropReason::kFillerFailed:
      return "00 and FF bytes failed on unseen samples";
    case DropReason::kStringsFailed:
      return "global strings failed on unseen samples";
    case DropReason::kNotNeeded:
      return "not needed against the files that must not match";
  }
  return "";
}

void FiguresJson(JsonWriter& json, std::string_view key,
                 const TuneFigures& figures) {
  json.Key(key);
  json.BeginObject();
  json.Member("patterns", figures.patterns);
  json.Member("pattern_bytes", figures.pattern_bytes);
  json.Member("strings", figures.strings);
  json.Member("unseen_matched", figures.unseen_matched);
  json.Member("not_matched", figures.not_matched);
  json.EndObject();
}

std::string Span(const DroppedPart& part) {
  const int64_t last =
      part.offset + static_cast<int64_t>(part.bytes.size()) - 1;
  std::string text = "offset " + std::to_string(part.offset);
  if (last > part.offset) text += " to " + std::to_string(last);
  return text + " (" + Hex(part.bytes) + ")";
}

std::string FiguresLine(std::string_view label, const TuneFigures& figures,
                        const TuneResult& result) {
  std::string text = std::string(label) + Plural(figures.patterns, "pattern") +
                     " of " + Plural(figures.pattern_bytes, "byte") + ", " +
                     Plural(figures.strings, "global string") +
                     "; unseen samples matched " +
                     Percent(figures.unseen_matched, result.sample_count) +
                     " (" + std::to_string(figures.unseen_matched) + " of " +
                     std::to_string(result.sample_count) + ")";
  if (result.not_count > 0) {
    text += "; files that must not match matched " +
            std::to_string(figures.not_matched) + " of " +
            std::to_string(result.not_count);
  }
  return text + "\n";
}

}  // namespace

std::string DropReasonKey(DropReason reason) {
  switch (reason) {
    case DropReason::kFailsOnSamples:
      return "fails-on-samples";
    case DropReason::kVariedUnseen:
      return "varied-unseen";
    case DropReason::kFillerFailed:
      return "filler-failed";
    case DropReason::kStringsFailed:
      return "strings-failed";
    case DropReason::kNotNeeded:
      return "not-needed";
  }
  return "";
}

std::string TuneText(const TuneReport& report) {
  const TuneResult& result = *report.result;
  std::string text = "Tuning " + ShownName(report.definition_file) + " on " +
                     Plural(result.sample_count, "sample") + " in " +
                     std::to_string(result.folds) + " folds (seed " +
                     std::to_string(result.seed) + ")";
  text += result.not_count > 0
              ? ", against " + Plural(result.not_count, "file") +
                    " that must not match\n"
              : ", without files that must not match\n";
  if (result.samples_matched < result.sample_count) {
    text += "The definition matches " + std::to_string(result.samples_matched) +
            " of the " + Plural(result.sample_count, "given sample") +
            "; the parts they lack go\n";
  }
  text += "\n" + FiguresLine("Before: ", result.before, result) +
          FiguresLine("After:  ", result.after, result);

  // Bytes by reason, in order of offset; strings counted by reason.
  std::map<DropReason, std::vector<const DroppedPart*>> bytes;
  std::map<DropReason, std::vector<const DroppedPart*>> strings;
  for (const DroppedPart& part : result.dropped) {
    (part.kind == PartKind::kPattern ? bytes : strings)[part.reason].push_back(
        &part);
  }
  if (!result.dropped.empty()) text += "\nDropped:\n";
  for (const auto& [reason, parts] : bytes) {
    size_t count = 0;
    for (const DroppedPart* part : parts) count += part->bytes.size();
    text +=
        "  " + Plural(count, "pattern byte") + ": " + ReasonText(reason) + "\n";
    for (size_t i = 0; i < parts.size() && i < kShown; ++i) {
      text += "    " + Span(*parts[i]) + "\n";
    }
    if (parts.size() > kShown) {
      text +=
          "    ... and " + std::to_string(parts.size() - kShown) + " more\n";
    }
  }
  for (const auto& [reason, parts] : strings) {
    text += "  " + Plural(parts.size(), "global string") + ": " +
            ReasonText(reason) + "\n";
    for (size_t i = 0; i < parts.size() && i < kShown; ++i) {
      text += "    " + Quoted(parts[i]->bytes) + "\n";
    }
    if (parts.size() > kShown) {
      text +=
          "    ... and " + std::to_string(parts.size() - kShown) + " more\n";
    }
  }

  if (result.fold_strings_failed > 0) {
    text +=
        "\nGlobal strings failed on unseen samples: " +
        std::to_string(result.fold_strings_failed) + " of the folds' " +
        std::to_string(result.fold_strings) +
        "; without strings the folds' definitions matched " +
        Percent(result.unseen_matched_without_strings, result.sample_count) +
        " of unseen samples\n";
  }

  if (result.not_count == 0) {
    text += "\nNot tested against files of other types: give some with --not\n";
  } else if (result.Separated()) {
    text += "\nEvery file that must not match is rejected";
    text +=
        result.rejected_once == 0
            ? " by at least 2 parts\n"
            : "; " + std::to_string(result.rejected_once) + " by only 1 part\n";
    text += "Tested against " + Plural(result.not_count, "file") +
            " only: files of other types may still match\n";
  } else {
    text +=
        "\nCannot be separated: " + std::to_string(result.inseparable.size()) +
        " of " + std::to_string(result.not_count) +
        " files that must not match hold every part of the definition; "
        "front-block patterns and global strings cannot tell these "
        "types apart:\n";
    for (const MaskShare& share : report.inseparable_masks) {
      text += "  " + std::to_string(share.inseparable) + " of the " +
              Plural(share.files, "file") + " of " + ShownName(share.mask) +
              "\n";
    }
    for (size_t i = 0; i < result.inseparable.size() && i < kShown; ++i) {
      text += "    " + ShownName(result.inseparable[i]) + "\n";
    }
    if (result.inseparable.size() > kShown) {
      text += "    ... and " +
              std::to_string(result.inseparable.size() - kShown) + " more\n";
    }
  }
  if (!report.output_file.empty()) {
    text += "\nWritten " + ShownName(report.output_file) + "\n";
  }
  return text;
}

std::string TuneJson(const TuneReport& report) {
  const TuneResult& result = *report.result;
  JsonWriter json;
  json.BeginObject();
  json.Member("format", kTuneFormat);
  json.BytesMember("definition", report.definition_file);
  if (report.output_file.empty()) {
    json.Key("output");
    json.Null();
  } else {
    json.BytesMember("output", report.output_file);
  }
  json.Member("samples", result.sample_count);
  json.Member("samples_matched", result.samples_matched);
  json.Member("not_files", result.not_count);
  json.Member("folds", result.folds);
  json.Member("leave_one_out", result.leave_one_out);
  json.Member("seed", result.seed);
  FiguresJson(json, "before", result.before);
  FiguresJson(json, "after", result.after);
  json.Member("unseen_matched_without_strings",
              result.unseen_matched_without_strings);
  json.Member("fold_strings", result.fold_strings);
  json.Member("fold_strings_failed", result.fold_strings_failed);
  json.Key("patterns");
  json.BeginArray();
  for (const DefinitionPattern& pattern : result.tuned.patterns) {
    json.BeginObject();
    json.Member("offset", pattern.pos);
    json.HexMember("bytes", pattern.bytes);
    json.EndObject();
  }
  json.EndArray();
  json.Key("strings");
  json.BeginArray();
  for (const std::string& text : result.tuned.strings) json.String(text);
  json.EndArray();
  json.Key("dropped");
  json.BeginArray();
  for (const DroppedPart& part : result.dropped) {
    json.BeginObject();
    if (part.kind == PartKind::kPattern) {
      json.Member("kind", "pattern");
      json.Member("offset", part.offset);
      json.HexMember("bytes", part.bytes);
    } else {
      json.Member("kind", "string");
      json.BytesMember("text", part.bytes);
    }
    json.Member("reason", DropReasonKey(part.reason));
    json.EndObject();
  }
  json.EndArray();
  json.Member("rejected_once", result.rejected_once);
  json.Key("inseparable");
  json.BeginArray();
  for (const std::string& path : result.inseparable) {
    json.BeginObject();
    json.BytesMember("path", path);
    json.EndObject();
  }
  json.EndArray();
  json.Key("inseparable_masks");
  json.BeginArray();
  for (const MaskShare& share : report.inseparable_masks) {
    json.BeginObject();
    json.BytesMember("mask", share.mask);
    json.Member("inseparable", share.inseparable);
    json.Member("files", share.files);
    json.EndObject();
  }
  json.EndArray();
  json.Member("separated", result.Separated());
  json.EndObject();
  return json.Take() + "\n";
}

}  // namespace mavoscan
