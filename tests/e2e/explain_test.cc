#include <string>

#include "e2e/e2e_harness.h"
#include "fakes/json_reader.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

// A file of one of two versions of an invented format: its header, a
// counter that differs from file to file, a body of pseudo-random bytes and
// a trailer both versions share.
std::string VersionSample(int version, int index) {
  std::string sample =
      version == 1 ? std::string("\x1A\x01OLDHDR", 8) : "\x1E\x02NEWFMT";
  sample += static_cast<char>(index);
  uint32_t state = 2463534242u + static_cast<uint32_t>(index) * 7919u;
  for (int i = 0; i < 40; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    sample += static_cast<char>(state & 0xFF);
  }
  return sample + "END";
}

// The scanner builds a definition from a set that mixes two versions;
// --explain finds the two groups and names their files.
TEST(ExplainRun, FindsTheVersionsOfAMixedSet) {
  TempDir dir;
  for (int i = 0; i < 10; ++i) {
    dir.Write("mixed/" + std::to_string(i) + ".bin",
              VersionSample(i % 3 == 0 ? 2 : 1, i));
  }
  ASSERT_EQ(dir.Run({"mixed/*"}).exit_code, 0);

  RunSettings checker;
  checker.program = Program::kChecker;
  RunResult run =
      dir.Run({"newtype.mavo.xml", "mixed/*", "--explain"}, checker);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  const size_t groups = run.out.find("\nGroups:");
  ASSERT_NE(groups, std::string::npos) << run.out;
  EXPECT_EQ(run.out.substr(groups),
            "\nGroups: the files fall into 2 groups whose definitions keep "
            "more than the whole set's 1 pattern (3 bytes)\n"
            "  group 1: 6 files, offset 0: 1A014F4C44484452\n"
            "    its definition would keep 2 patterns (11 bytes): "
            "0:1A014F4C44484452 49:454E44\n"
            "    mixed/1.bin\n    mixed/2.bin\n    mixed/4.bin\n"
            "    mixed/5.bin\n    mixed/7.bin\n    mixed/8.bin\n"
            "  group 2: 4 files, offset 0: 1E024E4557464D54\n"
            "    its definition would keep 2 patterns (11 bytes): "
            "0:1E024E4557464D54 49:454E44\n"
            "    mixed/0.bin\n    mixed/3.bin\n    mixed/6.bin\n"
            "    mixed/9.bin\n");

  run = dir.Run({"explain", "newtype.mavo.xml", "mixed/*", "--json"}, checker);
  EXPECT_EQ(run.exit_code, 0);
  JsonValue report;
  ASSERT_TRUE(JsonReader::Parse(run.out, &report)) << run.out;
  const JsonValue& explain = report["explain"];
  EXPECT_EQ(explain["file_count"].number, 10);
  ASSERT_EQ(explain["whole_set_patterns"].items.size(), 1u);
  EXPECT_EQ(explain["whole_set_patterns"].items[0]["offset"].number, 49);
  ASSERT_EQ(explain["groups"].items.size(), 2u);
  EXPECT_EQ(explain["groups"].items[0]["marks"].items[0]["bytes"].text,
            "1A014F4C44484452");
  std::string files;
  for (const JsonValue& file : explain["groups"].items[1]["files"].items) {
    files += file["path"].text + " ";
  }
  EXPECT_EQ(files, "mixed/0.bin mixed/3.bin mixed/6.bin mixed/9.bin ");
  EXPECT_TRUE(report["passed"].boolean);
}

}  // namespace
}  // namespace mavoscan::e2e
