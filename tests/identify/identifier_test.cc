#include "identify/identifier.h"

#include <gtest/gtest.h>

#include <random>

#include "check/weakness.h"
#include "fakes/fake_platform.h"
#include "identify/evidence.h"
#include "identify/library_loader.h"
#include "match/file_verifier.h"
#include "strings/sample_text.h"

namespace mavoscan {
namespace {

// A definition of type `type` whose patterns are "hex@pos" and whose
// global strings, checked, are `strings`.
std::string Definition(const std::string& type,
                       const std::vector<std::string>& patterns,
                       const std::vector<std::string>& strings = {}) {
  std::string text = "<Mavo><Info><FileType>" + type +
                     "</FileType><Ext>X</Ext></Info><General><CheckStrings>" +
                     (strings.empty() ? "False" : "True") +
                     "</CheckStrings></General><FrontBlock>";
  for (const std::string& p : patterns) {
    const size_t at = p.find('@');
    text += "<Pattern><Bytes>" + p.substr(0, at) + "</Bytes><Pos>" +
            p.substr(at + 1) + "</Pos></Pattern>";
  }
  text += "</FrontBlock><GlobalStrings>";
  for (const std::string& s : strings) text += "<String>" + s + "</String>";
  return text + "</GlobalStrings></Mavo>";
}

IdentifyLibrary Library(FakePlatform& fake,
                        const std::vector<std::string>& definitions) {
  for (size_t i = 0; i < definitions.size(); ++i) {
    fake.AddFile(
        "lib/" + std::string(1, static_cast<char>('a' + i)) + ".mavo.xml",
        definitions[i]);
  }
  std::vector<LibraryDefinition> loaded;
  std::string err;
  EXPECT_TRUE(LoadLibrary(fake, {"lib"}, &loaded, &err)) << err;
  return IdentifyLibrary(std::move(loaded));
}

// The answer in short: "unknown", or each match as "type:bits" with "!" when
// weak, separated by spaces.
std::string Summary(const IdentifyLibrary& library,
                    const std::vector<IdentifyMatch>& matches) {
  if (matches.empty()) return "unknown";
  std::string text;
  for (const IdentifyMatch& match : matches) {
    char bits[32];
    std::snprintf(bits, sizeof bits, "%g", match.bits);
    text += " " + library.definition(match.definition).content.file_type + ":" +
            bits + (match.weak ? "!" : "");
  }
  return text.substr(1);
}

TEST(Identifier, RanksTiesWeakAndUnknown) {
  const std::string png = "89504E47";  // 8 + 6 + 6 + 6 = 26 bits
  const struct {
    const char* name;
    std::vector<std::string> definitions;
    std::string file;
    std::string expected;
    size_t best;
  } rows[] = {
      {"the refinement wins over the definition it refines",
       {Definition("PNG", {png + "@0"}),
        Definition("APNG", {png + "@0", "6163544C@37"})},
       "\x89PNG" + std::string(33, '.') + "acTL",
       "APNG:50 PNG:26",
       1},
      {"two definitions of equal evidence are a tie, in name order",
       {Definition("B", {"4142@0"}), Definition("A", {"4142@0"})},
       "AB",
       "B:12! A:12!",
       2},
      {"a weak definition is marked and still named",
       {Definition("W", {"0000FF@4"})},
       std::string("1234\0\0\xFF", 7),
       "W:4!",
       1},
      {"no match is unknown",
       {Definition("PNG", {png + "@0"})},
       "GIF89a",
       "unknown",
       0},
      {"a file shorter than a pattern's end is not held",
       {Definition("PNG", {png + "@0", "49454E44@8"})},
       "\x89PNG\r\n\x1a\nIEN",
       "unknown",
       0},
      {"strings add evidence for the definition that checks them",
       {Definition("T", {"4D5A@0"}),
        Definition("U", {"4D5A@0"}, {"This program"})},
       "MZ" + std::string(200, '.') + "this PROGRAM" + std::string(50, '.'),
       "U:",
       1},
      {"a string missing removes the definition that checks it",
       {Definition("T", {"4D5A@0"}),
        Definition("U", {"4D5A@0"}, {"This program"})},
       "MZ" + std::string(200, '.'),
       "T:12!",
       1},
      {"an empty file matches nothing",
       {Definition("PNG", {png + "@0"})},
       "",
       "unknown",
       0},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    const IdentifyLibrary library = Library(fake, row.definitions);
    fake.AddFile("f.bin", row.file);
    Identifier identifier(library);
    int64_t size = -1;
    std::vector<IdentifyMatch> matches;
    std::string reason;
    ASSERT_TRUE(
        identifier.IdentifyFile(fake, "f.bin", &size, &matches, &reason))
        << row.name << ": " << reason;
    EXPECT_EQ(size, static_cast<int64_t>(row.file.size())) << row.name;
    const std::string summary = Summary(library, matches);
    EXPECT_TRUE(summary.starts_with(row.expected))
        << row.name << ": " << summary;
    EXPECT_EQ(BestCount(matches), row.best) << row.name;
    // The bytes in memory give the same answer as the file.
    EXPECT_EQ(Summary(library, Identify(library, {row.file, {}, size})),
              summary)
        << row.name;
  }
}

// Reads of the file beyond its front happen only for a definition whose
// patterns hold and that checks strings.
TEST(Identifier, ReadsTheTextOnlyForCandidatesWithStrings) {
  const struct {
    const char* name;
    std::string file;
    int reads;
  } rows[] = {
      {"patterns fail: the front alone", "XX" + std::string(5000, 's'), 1},
      {"patterns hold: the rest for the strings",
       "MZ" + std::string(5000, 's') + "needle", 2},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    const IdentifyLibrary library =
        Library(fake, {Definition("A", {"4D5A@0"}, {"needle"}),
                       Definition("B", {"4D5A@1000"})});
    fake.AddFile("f.bin", row.file);
    const int before = fake.call_count(FakeCall::kRead);
    Identifier identifier(library);
    int64_t size = 0;
    std::vector<IdentifyMatch> matches;
    std::string reason;
    ASSERT_TRUE(
        identifier.IdentifyFile(fake, "f.bin", &size, &matches, &reason));
    EXPECT_EQ(fake.call_count(FakeCall::kRead) - before, row.reads) << row.name;
  }
}

TEST(Identifier, UnreadableFilesGiveTheSystemsReason) {
  FakePlatform fake;
  const IdentifyLibrary library = Library(fake, {Definition("A", {"41@0"})});
  fake.SetFailureReason("Permission denied");
  fake.AddFile("locked.bin", "A");
  fake.MakeUnreadable("locked.bin");
  fake.AddFile("broken.bin", "A");
  Identifier identifier(library);
  int64_t size = -1;
  std::vector<IdentifyMatch> matches;
  std::string reason;
  EXPECT_FALSE(
      identifier.IdentifyFile(fake, "locked.bin", &size, &matches, &reason));
  EXPECT_EQ(reason, "cannot open: Permission denied");
  EXPECT_EQ(size, -1);
  fake.FailCall(FakeCall::kShortRead, fake.call_count(FakeCall::kRead) + 1);
  EXPECT_FALSE(
      identifier.IdentifyFile(fake, "broken.bin", &size, &matches, &reason));
  EXPECT_EQ(reason, "cannot read: Permission denied");
}

// The index must find exactly what testing every definition on its own
// finds: libraries of many definitions that share their first bytes, and
// files made to hold some definition's patterns, checked against the
// shared verifier one definition at a time.
TEST(Identifier, AgreesWithTheVerifierOnEveryDefinition) {
  std::mt19937 rng(7);
  auto pick = [&rng](int n) {
    return static_cast<int>(rng() % static_cast<unsigned>(n));
  };
  // Few byte values, so that anchors collide and files match often.
  const std::string alphabet(
      "\x00\xFF"
      "AB\x89",
      5);
  auto hex = [](unsigned char byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string{kDigits[byte >> 4], kDigits[byte & 15]};
  };
  FakePlatform fake;
  std::vector<std::string> definitions;
  std::vector<std::vector<std::pair<int, std::string>>> shapes;
  for (int d = 0; d < 60; ++d) {
    std::vector<std::pair<int, std::string>> patterns;
    std::vector<std::string> written;
    int pos = pick(3);
    for (int p = 0, n = 1 + pick(3); p < n; ++p) {
      std::string bytes;
      for (int b = 0, m = 1 + pick(3); b < m; ++b) {
        bytes.push_back(alphabet[static_cast<size_t>(pick(5))]);
      }
      std::string h;
      for (char c : bytes) h += hex(static_cast<unsigned char>(c));
      written.push_back(h + "@" + std::to_string(pos));
      patterns.push_back({pos, bytes});
      pos += static_cast<int>(bytes.size()) + pick(4);
    }
    std::vector<std::string> strings;
    if (pick(3) == 0) strings.push_back(pick(2) ? "AB" : "B'A");
    definitions.push_back(
        Definition("T" + std::to_string(d), written, strings));
    shapes.push_back(patterns);
  }
  const IdentifyLibrary library = Library(fake, definitions);
  Identifier identifier(library);
  size_t matched_files = 0;
  for (int f = 0; f < 300; ++f) {
    std::string file;
    for (int i = 0, n = pick(30); i < n; ++i) {
      file.push_back(alphabet[static_cast<size_t>(pick(5))]);
    }
    // Lay one definition's patterns over it, so that matches are common.
    for (const auto& [pos, bytes] : shapes[static_cast<size_t>(pick(60))]) {
      if (file.size() < pos + bytes.size())
        file.resize(pos + bytes.size(), 'A');
      file.replace(static_cast<size_t>(pos), bytes.size(), bytes);
    }
    const std::string path = "f" + std::to_string(f);
    fake.AddFile(path, file);
    int64_t size = 0;
    std::vector<IdentifyMatch> matches;
    std::string reason;
    ASSERT_TRUE(identifier.IdentifyFile(fake, path, &size, &matches, &reason));
    std::vector<bool> matched(library.size(), false);
    for (const IdentifyMatch& match : matches) matched[match.definition] = true;
    matched_files += !matches.empty();
    for (size_t d = 0; d < library.size(); ++d) {
      FileVerifier verifier(library.definition(d).content);
      FileVerdict verdict;
      ASSERT_TRUE(verifier.Verify(fake, path, &verdict, &reason));
      EXPECT_EQ(matched[d], verdict.Matches())
          << "file " << f << ", definition " << library.definition(d).name;
    }
  }
  // Most files hold the patterns laid over them (the strings may miss).
  EXPECT_GT(matched_files, 150u);
}

// Over kWholeReadLimit the strings are looked for in the first and last
// halves only, as the scanner and the verifier read a sample.
TEST(Identifier, LargeFilesAreSearchedInHeadAndTail) {
  const int64_t half = kWholeReadLimit / 2;
  const struct {
    const char* name;
    int64_t at;
    bool found;
  } rows[] = {
      {"in the head", 100, true},
      {"in the middle", half + 20, false},
      {"in the tail", kWholeReadLimit + 10, true},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    const IdentifyLibrary library =
        Library(fake, {Definition("A", {"4D5A@0"}, {"needle"})});
    std::string file(static_cast<size_t>(kWholeReadLimit + 100), '.');
    file.replace(0, 2, "MZ");
    file.replace(static_cast<size_t>(row.at), 6, "needle");
    fake.AddFile("big.bin", file);
    Identifier identifier(library);
    int64_t size = 0;
    std::vector<IdentifyMatch> matches;
    std::string reason;
    ASSERT_TRUE(
        identifier.IdentifyFile(fake, "big.bin", &size, &matches, &reason));
    FileVerifier verifier(library.definition(0).content);
    FileVerdict verdict;
    ASSERT_TRUE(verifier.Verify(fake, "big.bin", &verdict, &reason));
    EXPECT_EQ(!matches.empty(), row.found) << row.name;
    EXPECT_EQ(verdict.Matches(), row.found) << row.name;
    // The same from bytes a caller holds: the file's head and tail.
    const std::string_view view(file);
    const FileBytes bytes{view.substr(0, static_cast<size_t>(half)),
                          view.substr(file.size() - static_cast<size_t>(half)),
                          size};
    EXPECT_EQ(!Identify(library, bytes).empty(), row.found) << row.name;
  }
}

// A definition's pattern bits are verify's strength figure.
TEST(Evidence, PatternBitsAreTheStrengthFigure) {
  FakePlatform fake;
  fake.AddFile("d.xml", Definition("T", {"00FF4142@0", "89@9"}));
  DefinitionContent content;
  std::string err;
  ASSERT_TRUE(ReadDefinitionContent(fake, "d.xml", &content, &err));
  EXPECT_EQ(PatternBits(content.patterns), 1 + 3 + 6 + 6 + 8.0);
  EXPECT_EQ(PatternBits(content.patterns),
            MeasureStrength(content).chance_bits);
  // Letters compare without case: two values of 1/64 each.
  EXPECT_DOUBLE_EQ(StringBits("AB", 2), 10);
  // A short string in a long text says nothing.
  EXPECT_EQ(StringBits("AB", 1 << 20), 0);
  EXPECT_EQ(StringBits("ABC", 2), 0);
}

}  // namespace
}  // namespace mavoscan
