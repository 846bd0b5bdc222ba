#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "export/consumers.h"
#include "export/export_definition.h"
#include "gtest/gtest.h"

namespace mavoscan {
namespace {

using export_test::ConsumerRun;
using export_test::LossExplains;
using export_test::RunConsumer;
using export_test::ScratchDir;
using export_test::VerifyVerdicts;

constexpr int64_t kMiB = 1048576;

struct PlantedFile {
  PlantedFile(std::string n, std::string d)
      : name(std::move(n)), data(std::move(d)) {}
  PlantedFile(std::string n, std::string d, int64_t s,
              std::vector<std::pair<int64_t, std::string>> p)
      : name(std::move(n)), data(std::move(d)), size(s), pieces(std::move(p)) {}
  std::string name;
  std::string data;
  // A sparse file of this size holding `pieces`, when set.
  int64_t size = 0;
  std::vector<std::pair<int64_t, std::string>> pieces;
};

struct Planted {
  std::string name;
  DefinitionContent definition;
  std::vector<PlantedFile> files;
};

std::string Filled(size_t size,
                   std::vector<std::pair<size_t, std::string>> pieces) {
  std::string data(size, 'z');
  for (const auto& [at, bytes] : pieces) data.replace(at, bytes.size(), bytes);
  return data;
}

DefinitionContent Definition(std::vector<DefinitionPattern> patterns,
                             std::vector<std::string> strings,
                             bool check_strings = true) {
  DefinitionContent definition;
  definition.file_type = "Planted type";
  definition.ext = "PLT";
  definition.file_num = 3;
  definition.patterns = std::move(patterns);
  definition.strings = std::move(strings);
  definition.check_strings = check_strings;
  return definition;
}

std::string Bytes200() {
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<char>(i * 7 % 251));
  return bytes;
}

// The definitions every format's table exports, each with files that
// match it and files that miss it by one part.
std::vector<Planted> PlantedDefinitions() {
  using namespace std::string_literals;
  const std::string mvx = "MVX1\0"s;
  const std::string ffs = "\xFF\x00\xFF"s;
  const std::string long_pattern = Bytes200();
  std::string long_broken = long_pattern;
  long_broken[150] ^= 1;
  std::string long_end = long_pattern;
  long_end[199] ^= 1;
  const std::string far = "FARTEXT1";
  const int64_t big = 10 * kMiB + 4096;
  const int64_t head = 5 * kMiB;
  // More strings than a MIME package nests: all of them, and all but the
  // last.
  std::vector<std::string> many;
  std::string all_strings;
  for (int i = 0; i < 300; ++i) {
    many.push_back("S" + std::to_string(1000 + i));
    all_strings += many.back() + " ";
  }
  const std::string but_last = all_strings.substr(0, all_strings.size() - 6);
  return {
      {"300 strings",
       Definition({{"MANY", 0}}, many),
       {{"all", Filled(2000, {{0, "MANY"}, {10, all_strings}})},
        {"all but the last", Filled(2000, {{0, "MANY"}, {10, but_last}})}}},
      {"patterns and a mixed-case string",
       Definition({{mvx, 0}, {ffs, 20}}, {"HELLO WORLD-1.0"}),
       {{"lower", Filled(300, {{0, mvx}, {20, ffs}, {100, "hello world-1.0"}})},
        {"mixed", Filled(300, {{0, mvx}, {20, ffs}, {250, "HeLLo WoRLD-1.0"}})},
        {"upper", Filled(300, {{0, mvx}, {20, ffs}, {40, "HELLO WORLD-1.0"}})},
        {"no string", Filled(300, {{0, mvx}, {20, ffs}})},
        {"broken pattern",
         Filled(300, {{0, "MVX2"}, {20, ffs}, {40, "hello world-1.0"}})},
        {"ends in pattern 2", Filled(22, {{0, mvx}, {20, ffs.substr(0, 2)}})}}},
      {"no strings",
       Definition({{"\x7F"
                    "ELF",
                    0}},
                  {"NEVERTHERE"}, /*check_strings=*/false),
       {{"good", Filled(64, {{0,
                              "\x7F"
                              "ELF"}})},
        {"bad", Filled(64, {{0,
                             "\x7F"
                             "ELG"}})}}},
      {"a 200-byte pattern",
       Definition({{long_pattern, 10}}, {}),
       {{"good", Filled(400, {{10, long_pattern}})},
        {"byte 150", Filled(400, {{10, long_broken}})},
        {"byte 199", Filled(400, {{10, long_end}})},
        {"one short", Filled(209, {{10, long_pattern.substr(0, 199)}})}}},
      {"a pattern at 2047",
       Definition({{"PK", 0}, {"\x01", 2047}}, {}),
       {{"2048 bytes", Filled(2048, {{0, "PK"}, {2047, "\x01"}})},
        {"4000 bytes", Filled(4000, {{0, "PK"}, {2047, "\x01"}})},
        {"2047 bytes", Filled(2047, {{0, "PK"}})},
        {"other byte", Filled(2048, {{0, "PK"}, {2047, "\x02"}})}}},
      {"a zero-only pattern",
       Definition({{"AB", 0}, {std::string(8, '\0'), 100}}, {}),
       {{"zeros", Filled(200, {{0, "AB"}, {100, std::string(8, '\0')}})},
        {"one set",
         Filled(200, {{0, "AB"}, {100, std::string(8, '\0')}, {104, "\x01"}})},
        {"short", Filled(104, {{0, "AB"}, {100, std::string(4, '\0')}})}}},
      {"a NUL-interleaved string",
       Definition({{"LY", 0}}, {"L'A'Y'E'R"}),
       {{"lower", Filled(300, {{0, "LY"}, {50, "l\0a\0y\0e\0r"s}})},
        {"far", Filled(4000, {{0, "LY"}, {3000, "L\0A\0Y\0E\0R"s}})},
        {"without NULs", Filled(300, {{0, "LY"}, {50, "LAYER"}})}}},
      {"a string past 7 MiB",
       Definition({{"BIGF", 0}}, {far}),
       {{"near", Filled(300, {{0, "BIGF"}, {100, "fartext1"}})},
        {"past 7 MiB", "", 8 * kMiB, {{0, "BIGF"}, {7 * kMiB + kMiB / 2, far}}},
        {"over 10 MiB, across the head's end",
         "",
         big,
         {{0, "BIGF"}, {head - static_cast<int64_t>(far.size()) + 1, far}}}}},
      {"code page 437 letters",
       Definition({{"CP", 0}}, {"\x8E"
                                "RGER",
                                "\xA5"
                                "NOS"}),
       {{"lower", Filled(300, {{0, "CP"},
                               {10,
                                "\x84"
                                "rger"},
                               {30,
                                "\xA4"
                                "nos"}})},
        {"upper", Filled(300, {{0, "CP"},
                               {10,
                                "\x8E"
                                "RGER"},
                               {30,
                                "\xA5"
                                "NOS"}})},
        {"ascii", Filled(300, {{0, "CP"},
                               {10, "ARGER"},
                               {30,
                                "\xA5"
                                "NOS"}})}}},
  };
}

struct FormatRow {
  std::string planted;
  std::set<LossKind> losses;
};

// Exports each planted definition, checks the losses reported, and has the
// consumer judge the files: it must agree with the definition on every
// file but those the losses account for.
void CheckFormat(ExportFormat format, const std::vector<FormatRow>& rows) {
  const std::vector<Planted> planted = PlantedDefinitions();
  ASSERT_EQ(rows.size(), planted.size());
  for (size_t r = 0; r < rows.size(); ++r) {
    const Planted& p = planted[r];
    ASSERT_EQ(rows[r].planted, p.name);
    ExportRequest request;
    request.format = format;
    request.now = {2026, 12, 9, 13, 5, 0};
    ExportResult result;
    std::string err;
    ASSERT_TRUE(ExportDefinition(p.definition, request, &result, &err))
        << p.name << ": " << err;
    std::set<LossKind> kinds;
    for (const ExportLoss& loss : result.losses) kinds.insert(loss.kind);
    EXPECT_EQ(kinds, rows[r].losses) << p.name;

    ScratchDir dir;
    std::vector<std::string> paths;
    std::vector<int64_t> sizes;
    for (size_t f = 0; f < p.files.size(); ++f) {
      const PlantedFile& file = p.files[f];
      const std::string rel = "files/f" + std::to_string(f);
      paths.push_back(file.size > 0
                          ? dir.WriteSparse(rel, file.size, file.pieces)
                          : dir.Write(rel, file.data));
      sizes.push_back(file.size > 0 ? file.size
                                    : static_cast<int64_t>(file.data.size()));
    }
    const ConsumerRun run =
        RunConsumer(format, result.text, result.label, paths);
    if (run.skipped.has_value()) GTEST_SKIP() << *run.skipped;
    ASSERT_EQ(run.error, "") << p.name << "\n" << result.text;
    ASSERT_EQ(run.matches.size(), paths.size()) << p.name;
    const std::vector<bool> verdicts = VerifyVerdicts(p.definition, paths);
    for (size_t f = 0; f < paths.size(); ++f) {
      if (run.matches[f] == verdicts[f]) continue;
      EXPECT_TRUE(LossExplains(result.losses, sizes[f], run.matches[f]))
          << p.name << ", file " << p.files[f].name << ": the definition says "
          << (verdicts[f] ? "match" : "no match")
          << ", the consumer the opposite, and no loss says why\n"
          << result.text;
    }
  }
}

constexpr LossKind kWindow = LossKind::kReadWindow;
constexpr LossKind kCp437 = LossKind::kCodePage437;

TEST(MagicExport, PlantedDefinitions) {
  CheckFormat(ExportFormat::kMagic,
              {{"300 strings", {kWindow}},
               {"patterns and a mixed-case string", {kWindow}},
               {"no strings", {}},
               {"a 200-byte pattern", {}},
               {"a pattern at 2047", {}},
               {"a zero-only pattern", {}},
               {"a NUL-interleaved string", {kWindow}},
               {"a string past 7 MiB", {kWindow}},
               {"code page 437 letters", {kWindow, kCp437}}});
}

TEST(YaraExport, PlantedDefinitions) {
  CheckFormat(ExportFormat::kYara, {{"300 strings", {}},
                                    {"patterns and a mixed-case string", {}},
                                    {"no strings", {}},
                                    {"a 200-byte pattern", {}},
                                    {"a pattern at 2047", {}},
                                    {"a zero-only pattern", {}},
                                    {"a NUL-interleaved string", {}},
                                    {"a string past 7 MiB", {}},
                                    {"code page 437 letters", {}}});
}

TEST(MimeExport, PlantedDefinitions) {
  CheckFormat(ExportFormat::kMime,
              {{"300 strings", {kWindow, LossKind::kStringLimit}},
               {"patterns and a mixed-case string", {kWindow}},
               {"no strings", {}},
               {"a 200-byte pattern", {}},
               {"a pattern at 2047", {}},
               {"a zero-only pattern", {}},
               {"a NUL-interleaved string", {kWindow}},
               {"a string past 7 MiB", {kWindow}},
               {"code page 437 letters", {kWindow, kCp437}}});
}

TEST(DroidExport, PlantedDefinitions) {
  CheckFormat(ExportFormat::kDroid,
              {{"300 strings", {kWindow}},
               {"patterns and a mixed-case string", {kWindow, LossKind::kCase}},
               {"no strings", {}},
               {"a 200-byte pattern", {}},
               {"a pattern at 2047", {}},
               {"a zero-only pattern", {}},
               {"a NUL-interleaved string", {kWindow}},
               {"a string past 7 MiB", {kWindow}},
               {"code page 437 letters", {kWindow}}});
}

}  // namespace
}  // namespace mavoscan

namespace mavoscan {
namespace {

// Whatever the FileType holds, each consumer loads the export and reports
// its label for a file that matches.
TEST(ExportNames, EachConsumerReportsTheLabel) {
  const std::vector<std::string> names = {
      "100% sure",   "  padded  ", "a \"quoted\" <name> & more",
      "caf\xC3\xA9", "rule",       "",
      "2nd format",  "back\\slash"};
  ScratchDir dir;
  const std::vector<std::string> paths = {
      dir.Write("match", Filled(100, {{0, "NAME"}}))};
  for (ExportFormat format : {ExportFormat::kMagic, ExportFormat::kYara,
                              ExportFormat::kMime, ExportFormat::kDroid}) {
    for (const std::string& name : names) {
      DefinitionContent definition = Definition({{"NAME", 0}}, {});
      definition.file_type = name;
      ExportRequest request;
      request.format = format;
      ExportResult result;
      std::string err;
      ASSERT_TRUE(ExportDefinition(definition, request, &result, &err))
          << name << ": " << err;
      const ConsumerRun run =
          RunConsumer(format, result.text, result.label, paths);
      if (run.skipped.has_value()) continue;
      EXPECT_EQ(run.error, "")
          << ExportFormatName(format) << ", " << name << "\n"
          << result.text;
      EXPECT_EQ(run.matches, std::vector<bool>{true})
          << ExportFormatName(format) << ", \"" << name << "\" as \""
          << result.label << "\"\n"
          << result.text;
    }
  }
}

}  // namespace
}  // namespace mavoscan
