#include "match/file_verifier.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

// A definition whose patterns are "hex@pos" and whose global strings are
// `strings`; `check` is the CheckStrings value, left out when empty.
std::string Definition(const std::vector<std::string>& patterns,
                       const std::vector<std::string>& strings = {},
                       const std::string& check = "True") {
  std::string text = "<Mavo><General>";
  if (!check.empty()) text += "<CheckStrings>" + check + "</CheckStrings>";
  text += "</General><FrontBlock>";
  for (const std::string& p : patterns) {
    const size_t at = p.find('@');
    text += "<Pattern><Bytes>" + p.substr(0, at) + "</Bytes><Pos>" +
            p.substr(at + 1) + "</Pos></Pattern>";
  }
  text += "</FrontBlock><GlobalStrings>";
  for (const std::string& s : strings) text += "<String>" + s + "</String>";
  return text + "</GlobalStrings></Mavo>";
}

// The verdict in short: "match", or each failed pattern as
// "p<number>:<found hex>" (with "!" when the file is too short) and each
// missing string as "s<number>", separated by spaces.
std::string Summary(const FileVerdict& verdict) {
  if (verdict.Matches()) return "match";
  std::string text;
  for (const PatternMiss& miss : verdict.failed_patterns) {
    text += " p" + std::to_string(miss.pattern + 1) + ":";
    for (char c : miss.found) {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      text += kDigits[static_cast<unsigned char>(c) >> 4];
      text += kDigits[static_cast<unsigned char>(c) & 15];
    }
    if (miss.file_too_short) text += "!";
  }
  for (size_t index : verdict.missing_strings) {
    text += " s" + std::to_string(index + 1);
  }
  return text.substr(1);
}

DefinitionContent Load(FakePlatform& fake, const std::string& definition) {
  fake.AddFile("d.xml", definition);
  DefinitionContent content;
  std::string err;
  EXPECT_TRUE(ReadDefinitionContent(fake, "d.xml", &content, &err)) << err;
  return content;
}

std::string VerifyLoaded(FakePlatform& fake, const DefinitionContent& content,
                         const std::string& path) {
  FileVerifier verifier(content);
  std::string err;
  EXPECT_TRUE(DefinitionUsable(content, &err)) << err;
  FileVerdict verdict;
  if (!verifier.Verify(fake, path, &verdict, &err)) return "error: " + err;
  EXPECT_EQ(verdict.path, path);
  return Summary(verdict);
}

std::string Verify(FakePlatform& fake, const std::string& definition,
                   const std::string& path) {
  return VerifyLoaded(fake, Load(fake, definition), path);
}

TEST(FileVerifier, PatternsAndStrings) {
  std::string block(2048, 'x');
  block[2047] = 'A';
  const struct {
    const char* name;
    std::string definition;
    std::string file;
    std::string expected;
  } rows[] = {
      {"pattern at the last front-block offset", Definition({"41@2047"}), block,
       "match"},
      {"file ends just before the last offset", Definition({"41@2047"}),
       block.substr(0, 2047), "p1:!"},
      {"file ends inside a pattern", Definition({"414243@2"}), "xxAB",
       "p1:4142!"},
      {"empty file", Definition({"00@0"}), "", "p1:!"},
      {"wrong byte, bytes above 0x7F", Definition({"FF80@0", "41@2"}),
       "\xFF\x81\x41", "p1:FF81"},
      {"only the failing pattern is named", Definition({"41@0", "42@1"}), "AC",
       "p2:43"},
      {"adjacent patterns each checked", Definition({"41@0", "42@1"}), "AB",
       "match"},
      {"pattern beyond the front block", Definition({"41@0", "4243@3000"}),
       "A" + std::string(2999, ' ') + "BC", "match"},
      {"pattern beyond the front block fails",
       Definition({"41@0", "4243@3000"}), "A" + std::string(2999, ' ') + "BD",
       "p2:4244"},
      {"string compared upper-cased", Definition({}, {"abc"}), "xAbCx",
       "match"},
      {"apostrophe stands for NUL", Definition({}, {"MZ'x"}),
       std::string("..mz\0X..", 8), "match"},
      {"apostrophe is not itself", Definition({}, {"MZ'x"}), "..MZ'X..", "s1"},
      {"missing strings named", Definition({}, {"ONE", "TWO", "SIX"}),
       "one six", "s2"},
      // All strings are looked for at once: one inside another, or ending
      // where a longer one that fails begins, is still found.
      {"strings inside and across others",
       Definition({}, {"ABCD", "BC", "CDX", "D", "XABCDY"}), "xabcdz", "s3 s5"},
      {"CheckStrings absent", Definition({}, {"GONE"}, ""), "x", "match"},
      {"CheckStrings not exactly True", Definition({}, {"GONE"}, "true"), "x",
       "match"},
      {"patterns and strings together", Definition({"41@0"}, {"Q"}), "B",
       "p1:42 s1"},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile("f.bin", row.file);
    EXPECT_EQ(Verify(fake, row.definition, "f.bin"), row.expected) << row.name;
  }
}

// A file over kWholeReadLimit is looked at as its first and last half of
// that limit, as the scanner reads samples: a string across the middle, or
// across where the head ends, is not seen; one across the joint of head and
// tail is, as the scanner's text has it. The text is searched in windows,
// so strings across their seams must be found too. Every row is also
// compared with the text the scanner's own reading gives.
TEST(FileVerifier, StringsInHeadAndTailOfLargeFiles) {
  const size_t half = kWholeReadLimit / 2;
  const size_t window = size_t{1} << 18;
  const struct {
    const char* name;
    size_t size;
    size_t at;  // where `planted` starts
    std::string planted;
    std::string written;  // the string as the definition holds it
    std::string expected;
  } rows[] = {
      {"end of the head", 2 * half + 2, half - 4, "seam", "SEAM", "match"},
      {"across the end of the head", 2 * half + 2, half - 2, "seam", "SEAM",
       "s1"},
      {"between head and tail", 2 * half + 10, half + 2, "seam", "SEAM", "s1"},
      {"start of the tail", 2 * half + 2, half + 2, "seam", "SEAM", "match"},
      {"end of the file", 2 * half + 2, 2 * half - 2, "seam", "SEAM", "match"},
      {"whole file at the limit", 2 * half, half - 2, "seam", "SEAM", "match"},
      {"across the joint", 2 * half + 8, half - 2, "se", "SE|AM", "match"},
      {"across a window seam", 3 * window, window - 2, "seam", "SEAM", "match"},
      {"across the last window seam", 2 * half + 2, half - window - 3, "seam",
       "SEAM", "match"},
  };
  for (const auto& row : rows) {
    std::string file(row.size, '.');
    file.replace(row.at, row.planted.size(), row.planted);
    if (row.written == "SE|AM") {
      // "am" where the tail begins.
      file.replace(row.size - half, 2, "am");
    }
    FakePlatform fake;
    fake.AddFile("big.bin", file);
    const std::string verdict =
        Verify(fake, Definition({"2E@0"}, {row.written}), "big.bin");
    SampleEntry sample{"big.bin", static_cast<int64_t>(row.size)};
    std::string text;
    std::string scratch;
    Failure failure;
    ASSERT_TRUE(ReadSampleText(fake, sample, &text, &scratch, &failure));
    const bool scanner_finds = text.find(row.written) != std::string::npos;
    EXPECT_EQ(verdict == "match", scanner_finds)
        << row.name << ": the checker and the scanner read the file apart";
    EXPECT_EQ(verdict, row.expected) << row.name;
  }
}

TEST(FileVerifier, UnreadableFilesAndNegativeOffsets) {
  FakePlatform fake;
  fake.AddFile("f.bin", "AB");
  fake.MakeUnreadable("f.bin");
  fake.SetFailureReason("Permission denied");
  EXPECT_EQ(Verify(fake, Definition({"41@0"}), "f.bin"),
            "error: cannot open f.bin (Permission denied)");

  // The definition is read first; the faults hit the file's reads.
  const struct {
    const char* name;
    FakeCall call;
    std::string definition;
  } faults[] = {
      {"failed read", FakeCall::kRead, Definition({"41@0"})},
      // A read that comes back short is a failed read, not a short file.
      {"short read", FakeCall::kShortRead, Definition({"4142@0"})},
      {"failed read of the text", FakeCall::kRead, Definition({}, {"AB"})},
  };
  for (const auto& row : faults) {
    FakePlatform failing;
    failing.AddFile("f.bin", "AB");
    const DefinitionContent content = Load(failing, row.definition);
    failing.FailCall(row.call, failing.call_count(FakeCall::kRead) + 1);
    EXPECT_EQ(VerifyLoaded(failing, content, "f.bin"),
              "error: cannot read f.bin")
        << row.name;
  }

  DefinitionContent content;
  content.patterns = {{"A", 0}, {"B", -1}};
  std::string err;
  EXPECT_FALSE(DefinitionUsable(content, &err));
  EXPECT_EQ(err, "pattern 2 lies at offset -1, before the start of any file");
}

}  // namespace
}  // namespace mavoscan
