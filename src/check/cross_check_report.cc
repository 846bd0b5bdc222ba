#include "check/cross_check_report.h"

#include <algorithm>

#include "common/json_writer.h"

namespace mavoscan {
namespace {

constexpr int kBarWidth = 20;

// The fold with the lowest share of matched files (the first of equals).
size_t LowestFold(const std::vector<FoldOutcome>& folds) {
  size_t lowest = 0;
  for (size_t f = 1; f < folds.size(); ++f) {
    const FoldOutcome& a = folds[f];
    const FoldOutcome& b = folds[lowest];
    if (a.matched * b.held_out < b.matched * a.held_out) lowest = f;
  }
  return lowest;
}

std::string Share(size_t matched, size_t total, TextStyle style) {
  std::string text = PadLeft(std::to_string(matched), 5) + " of " +
                     PadRight(std::to_string(total), 5) + " " +
                     PadLeft(Percent(matched, total), 6);
  if (style.terminal) text += "  " + Bar(matched, total, kBarWidth);
  return text;
}

std::string CurveReadingText(CurveReading reading) {
  switch (reading) {
    case CurveReading::kTooShort:
      return "too few samples for a curve";
    case CurveReading::kRising:
      return "still rising: more samples would help";
    case CurveReading::kLevelled:
      return "levelled off";
  }
  return "";
}

std::string CurveReadingKey(CurveReading reading) {
  switch (reading) {
    case CurveReading::kTooShort:
      return "too_short";
    case CurveReading::kRising:
      return "rising";
    case CurveReading::kLevelled:
      return "levelled";
  }
  return "";
}

std::string PartText(const FailingPart& part) {
  if (part.is_pattern) {
    return "pattern at offset " + std::to_string(part.offset) + " (" +
           Hex(part.bytes) + ")";
  }
  return "string " + Quoted(part.bytes);
}

}  // namespace

size_t CrossCheckResult::Matched() const {
  size_t matched = 0;
  for (const FoldOutcome& fold : folds) matched += fold.matched;
  return matched;
}

bool CrossCheckResult::Passed() const { return Matched() == sample_count; }

std::string CrossCheckText(const CrossCheckResult& result, TextStyle style) {
  const size_t k = result.folds.size();
  std::string text =
      "Cross-check of " + Plural(result.sample_count, "sample") + " in " +
      std::to_string(k) + " folds (seed " + std::to_string(result.seed) +
      "), " + (result.check_strings ? "with" : "without") + " global strings\n";
  if (result.leave_one_out) {
    text += "Fewer samples than the " + std::to_string(result.requested_folds) +
            " folds asked for: leave-one-out, one fold per sample\n";
  }
  text += "\nFold  Trained on  Patterns  Strings  Unseen files matched\n";
  for (size_t f = 0; f < k; ++f) {
    const FoldOutcome& fold = result.folds[f];
    text += PadLeft(std::to_string(f + 1), 4) +
            PadLeft(std::to_string(fold.trained_on), 12);
    if (fold.built) {
      text += PadLeft(std::to_string(fold.patterns), 10) +
              PadLeft(std::to_string(fold.strings), 9);
    } else {
      text += PadLeft("no definition", 19);
    }
    text += "  " + Share(fold.matched, fold.held_out, style) + "\n";
  }
  const size_t lowest = LowestFold(result.folds);
  text += "\nUnseen files expected to match: " +
          Percent(result.Matched(), result.sample_count) + " (" +
          std::to_string(result.Matched()) + " of " +
          std::to_string(result.sample_count) + "); lowest fold " +
          std::to_string(lowest + 1) + ": " +
          Percent(result.folds[lowest].matched, result.folds[lowest].held_out) +
          "\n";

  if (!result.failing.empty()) {
    text += "\nFailed most often on unseen files:\n";
    for (const FailingPart& part : result.failing) {
      text += "  " + PartText(part) + ": failed on " +
              Plural(part.files, "unseen file") + ", in " +
              std::to_string(part.folds) + " of " + std::to_string(k) +
              " folds\n";
    }
    if (result.failing_count > result.failing.size()) {
      text += "  and " +
              std::to_string(result.failing_count - result.failing.size()) +
              " more\n";
    }
  }

  if (!result.curve.empty()) {
    text += "\nLearning curve (built from the first samples of folds 2 to " +
            std::to_string(k) + ", tested on the " +
            Plural(result.folds[0].held_out, "file") + " of fold 1):\n";
    text += "Samples  Unseen files matched\n";
    for (const CurvePoint& point : result.curve) {
      text += PadLeft(std::to_string(point.samples), 7) + "  " +
              Share(point.matched, point.total, style) +
              (point.built ? "" : "  no definition") + "\n";
    }
    text += "Reading: " + CurveReadingText(ReadCurve(result.curve)) + "\n";
  }
  return text;
}

std::string CrossCheckJson(const CrossCheckResult& result) {
  JsonWriter json;
  json.BeginObject();
  json.Member("format", kCrossCheckFormat);
  json.Member("sample_count", result.sample_count);
  json.Member("folds", result.folds.size());
  json.Member("leave_one_out", result.leave_one_out);
  json.Member("seed", result.seed);
  json.Member("check_strings", result.check_strings);
  json.Key("fold_results");
  json.BeginArray();
  for (size_t f = 0; f < result.folds.size(); ++f) {
    const FoldOutcome& fold = result.folds[f];
    json.BeginObject();
    json.Member("fold", f + 1);
    json.Member("trained_on", fold.trained_on);
    json.Member("built", fold.built);
    json.Member("pattern_count", fold.patterns);
    json.Member("string_count", fold.strings);
    json.Member("matched", fold.matched);
    json.Member("held_out", fold.held_out);
    json.EndObject();
  }
  json.EndArray();
  json.Member("matched", result.Matched());
  json.Member("total", result.sample_count);
  json.Member("lowest_fold", LowestFold(result.folds) + 1);
  json.Key("failing");
  json.BeginArray();
  for (const FailingPart& part : result.failing) {
    json.BeginObject();
    if (part.is_pattern) {
      json.Member("part", "pattern");
      json.Member("offset", part.offset);
      json.HexMember("bytes", part.bytes);
    } else {
      json.Member("part", "string");
      json.BytesMember("text", part.bytes);
    }
    json.Member("failed_files", part.files);
    json.Member("failed_folds", part.folds);
    json.EndObject();
  }
  json.EndArray();
  json.Member("failing_count", result.failing_count);
  json.Key("learning_curve");
  json.BeginObject();
  json.Member("tested_fold", 1);
  json.Key("points");
  json.BeginArray();
  for (const CurvePoint& point : result.curve) {
    json.BeginObject();
    json.Member("trained_on", point.samples);
    json.Member("built", point.built);
    json.Member("matched", point.matched);
    json.Member("total", point.total);
    json.EndObject();
  }
  json.EndArray();
  json.Member("reading", CurveReadingKey(ReadCurve(result.curve)));
  json.EndObject();
  json.Member("passed", result.Passed());
  json.EndObject();
  return json.Take() + "\n";
}

}  // namespace mavoscan
