#include "check/explain.h"

#include <gtest/gtest.h>

namespace mavoscan {
namespace {

FileVerdict Verdict(const std::string& path, const std::string& front,
                    std::vector<size_t> failed = {},
                    std::vector<size_t> missing = {},
                    std::vector<size_t> unchecked_missing = {}) {
  FileVerdict verdict;
  verdict.path = path;
  verdict.front = front;
  for (size_t pattern : failed)
    verdict.failed_patterns.push_back({pattern, "", false});
  verdict.missing_strings = std::move(missing);
  verdict.unchecked_missing_strings = std::move(unchecked_missing);
  return verdict;
}

// Two patterns, two strings.
DefinitionContent Definition() {
  DefinitionContent definition;
  definition.patterns = {{"AB", 0}, {"ABCD", 0}};
  definition.strings = {"Hi", "Yo"};
  return definition;
}

// Six files hold "ABCD"; "g\"7" breaks "C" and lacks string 2, which the
// definition checks; "h" ends after "AB" and lacks string 1, which it does
// not check: both count.
std::vector<FileVerdict> SmallSet() {
  std::vector<FileVerdict> verdicts;
  for (char name = 'a'; name <= 'f'; ++name) {
    verdicts.push_back(Verdict(std::string(1, name), "ABCD"));
  }
  verdicts.push_back(Verdict("g\"7", "ABXD", {1}, {1}));
  verdicts.push_back(Verdict("h", "AB", {1}, {}, {0}));
  return verdicts;
}

std::string JsonOf(const ExplainReport& report) {
  JsonWriter json;
  ExplainJson(report, &json);
  return json.Take();
}

TEST(Explain, TextAndJson) {
  const ExplainReport report = Explain(Definition(), SmallSet());
  EXPECT_EQ(ExplainText(report, TextStyle{}),
            "\n"
            "Held by the 8 files:\n"
            "  pattern 1  offset 0: 4142      8 of 8  100.0%\n"
            "  pattern 2  offset 0: 41424344  6 of 8   75.0%\n"
            "  string 1   \"Hi\"                7 of 8   87.5%\n"
            "  string 2   \"Yo\"                7 of 8   87.5%\n"
            "\n"
            "Runs most files share but some break: 2\n"
            "  offset 2, 1 byte: 43, held by 6 of 8, broken by:\n"
            "    g\"7: 58\n"
            "    h: file too short\n"
            "  offset 3, 1 byte: 44, held by 7 of 8, broken by:\n"
            "    h: file too short\n"
            "\n"
            "Groups: none; no split of the files keeps clearly more than "
            "the whole set's 1 pattern (2 bytes)\n");
  EXPECT_EQ(JsonOf(report),
            "{\"file_count\":8,\"patterns\":["
            "{\"pattern\":1,\"offset\":0,\"bytes\":\"4142\",\"held_by\":8},"
            "{\"pattern\":2,\"offset\":0,\"bytes\":\"41424344\","
            "\"held_by\":6}],\"strings\":["
            "{\"string\":1,\"text\":\"Hi\",\"held_by\":7},"
            "{\"string\":2,\"text\":\"Yo\",\"held_by\":7}],\"broken_runs\":["
            "{\"offset\":2,\"length\":1,\"bytes\":\"43\",\"held_by\":6,"
            "\"breakers\":[{\"path\":\"g\\\"7\",\"found\":\"58\","
            "\"file_too_short\":false},{\"path\":\"h\",\"found\":\"\","
            "\"file_too_short\":true}]},"
            "{\"offset\":3,\"length\":1,\"bytes\":\"44\",\"held_by\":7,"
            "\"breakers\":[{\"path\":\"h\",\"found\":\"\","
            "\"file_too_short\":true}]}],"
            "\"whole_set_patterns\":[{\"offset\":0,\"bytes\":\"4142\"}],"
            "\"groups\":[]}");

  const std::string terminal = ExplainText(report, TextStyle{true});
  EXPECT_NE(terminal.find("  6 of 8   75.0%  \u2588"), std::string::npos)
      << terminal;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// The text cuts long lists short; the JSON keeps them whole.
TEST(Explain, LongListsCut) {
  // 48 files; at each even offset files 36 to 47 break the run, at each odd
  // one files 36 to 46, so every offset is a run of its own. Files 36 to 47
  // and the others also fall into two groups.
  std::vector<FileVerdict> verdicts;
  for (int f = 0; f < 48; ++f) {
    std::string front(50, 'A');
    for (size_t pos = 0; pos < front.size(); ++pos) {
      if (f >= 36 && (pos % 2 == 0 || f < 47)) front[pos] = 'B';
    }
    verdicts.push_back(Verdict("f" + std::to_string(f), front));
  }
  const ExplainReport report = Explain(DefinitionContent{}, verdicts);
  ASSERT_EQ(report.broken_runs.size(), 50u);
  ASSERT_EQ(report.grouping.groups.size(), 2u);

  const std::string text = ExplainText(report, TextStyle{});
  EXPECT_EQ(Count(text, "  offset "), 20u) << text;
  EXPECT_EQ(Count(text, "\n  ... and 30 more runs\n"), 1u) << text;
  // Ten shown runs and the group of 12 files.
  EXPECT_EQ(Count(text, "\n    ... and 2 more files\n"), 11u) << text;
  EXPECT_EQ(Count(text, "\n    ... and 1 more file\n"), 10u) << text;
  EXPECT_EQ(Count(text, "\n    ... and 26 more files\n"), 1u) << text;
  EXPECT_NE(text.find(", offset 6: 42, ... and 21 more offsets\n"),
            std::string::npos);
  EXPECT_NE(text.find("The definition holds no pattern and no global "
                      "string.\n"),
            std::string::npos);

  const std::string json = JsonOf(report);
  EXPECT_EQ(Count(json, "\"length\":"), 50u);
  // f46 is the eleventh breaker of every run and in a group's files.
  EXPECT_EQ(Count(json, "\"f46\""), 50u + 1u);
}

}  // namespace
}  // namespace mavoscan
