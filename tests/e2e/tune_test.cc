#include <string>

#include "e2e/e2e_harness.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

// A file of an invented type: "TYP1", a version, bytes of its own, a field
// at 12..15 that is zero unless `field` gives it a value, a shared text and
// a body. Files of another type begin "OTH" and say so in their body.
std::string TypeFile(int index, bool other, uint32_t field) {
  std::string file = other ? "OTH" + std::string(1, 'A' + index % 20) : "TYP1";
  file += std::string("\x01\x00", 2);
  uint32_t state = 2463534242u + static_cast<uint32_t>(index) * 7919u +
                   (other ? 1000003u : 0u);
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<char>(1 + state % 254);
  };
  for (int i = 0; i < 6; ++i) file += next();
  for (int i = 0; i < 4; ++i) file += static_cast<char>(field >> (8 * i));
  file += "HEADER..";
  for (int i = 0; i < 8; ++i) file += next();
  return file + (other ? " OTHER BODY " : " COMMON BODY ") + next() + "|";
}

RunResult Check(const TempDir& dir, const std::vector<std::string>& args) {
  RunSettings settings;
  settings.program = Program::kChecker;
  return dir.Run(args, settings);
}

// A definition built from files whose field at 12 happened to be zero:
// tuning drops the field, the result verifies on files that fill it,
// rejects the other type and refines like any definition.
TEST(TuneRun, WritesADefinitionThatHoldsOnUnseenFiles) {
  TempDir dir;
  for (int i = 0; i < 12; ++i) {
    dir.Write("given/" + std::to_string(i) + ".typ", TypeFile(i, false, 0));
    dir.Write("unseen/" + std::to_string(i) + ".typ",
              TypeFile(100 + i, false, 0x01000000u * (i + 1) + 7));
    dir.Write("other/" + std::to_string(i) + ".oth", TypeFile(i, true, 0));
  }
  ASSERT_EQ(dir.Run({"given/*"}).exit_code, 0);
  const std::string built = dir.Read("newtype.mavo.xml");
  ASSERT_EQ(Check(dir, {"verify", "newtype.mavo.xml", "unseen/*"}).exit_code,
            1);

  RunResult run = Check(dir, {"tune", "newtype.mavo.xml", "given/*", "--not",
                              "other/*", "--seed", "3"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "Tuning newtype.mavo.xml on 12 samples in 5 folds (seed 3), "
            "against 12 files that must not match\n"
            "\n"
            "Before: 4 patterns of 32 bytes, 3 global strings; unseen samples "
            "matched 100.0% (12 of 12); files that must not match matched 0 "
            "of 12\n"
            "After:  1 pattern of 4 bytes, 0 global strings; unseen samples "
            "matched 100.0% (12 of 12); files that must not match matched 0 "
            "of 12\n"
            "\n"
            "Dropped:\n"
            "  28 pattern bytes: not needed against the files that must not "
            "match\n"
            "    offset 4 to 5 (0100)\n"
            "    offset 12 to 23 (000000004845414445522E2E)\n"
            "    offset 32 to 44 (20434F4D4D4F4E20424F445920)\n"
            "    offset 46 (7C)\n"
            "  3 global strings: not needed against the files that must not "
            "match\n"
            "    \"COMMON BODY\"\n"
            "    \"HEADER..\"\n"
            "    \"TYP1\"\n"
            "\n"
            "Every file that must not match is rejected by at least 2 parts\n"
            "Tested against 12 files only: files of other types may still "
            "match\n"
            "\n"
            "Written tuned.mavo.xml\n");
  EXPECT_EQ(dir.Read("newtype.mavo.xml"), built) << "the definition changed";
  std::string tuned = dir.Read("tuned.mavo.xml");
  EXPECT_NE(tuned.find("<Ext>TYP</Ext>\r\n"), std::string::npos) << tuned;
  EXPECT_NE(tuned.find("<FileNum>12</FileNum>\r\n"), std::string::npos);
  EXPECT_EQ(tuned.find("<CheckStrings>"), std::string::npos) << tuned;

  run =
      Check(dir, {"verify", "tuned.mavo.xml", "unseen/*", "--not", "other/*"});
  EXPECT_EQ(run.exit_code, 0) << run.out;
  // The scanner refines the tuned definition like any of its own.
  ASSERT_EQ(dir.Run({"unseen/*", "tuned.mavo.xml"}).exit_code, 0);
  EXPECT_NE(dir.Read("tuned.mavo.xml").find("<FileNum>24</FileNum>\r\n"),
            std::string::npos);
  run = Check(dir, {"verify", "tuned.mavo.xml", "given/*", "unseen/*"});
  EXPECT_EQ(run.exit_code, 0) << run.out;

  // The same seed gives the same report, as JSON too.
  run = Check(dir, {"tune", "newtype.mavo.xml", "given/*", "--not", "other/*",
                    "--seed", "3", "--json", "--out", "again.xml"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(run.out.starts_with(
      "{\"format\":\"mavocheck-tune/1\",\"definition\":\"newtype.mavo.xml\","
      "\"output\":\"again.xml\",\"samples\":12,"))
      << run.out;
  EXPECT_NE(run.out.find("\"patterns\":[{\"offset\":0,\"bytes\":"
                         "\"54595031\"}],\"strings\":[],"),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(run.out.ends_with(",\"separated\":true}\n")) << run.out;
}

TEST(TuneRun, NamesTheFilesItCannotSeparate) {
  TempDir dir;
  for (int i = 0; i < 8; ++i) {
    dir.Write("given/" + std::to_string(i) + ".typ", TypeFile(i, false, 0));
  }
  dir.Write("like/twin.typ", TypeFile(50, false, 0));
  dir.Write("like/other.oth", TypeFile(1, true, 0));
  ASSERT_EQ(dir.Run({"given/*"}).exit_code, 0);

  RunResult run =
      Check(dir, {"tune", "newtype.mavo.xml", "given/*", "--not", "like/*"});
  EXPECT_EQ(run.exit_code, 1) << run.err;
  EXPECT_NE(run.out.find("\nCannot be separated: 1 of 2 files that must not "
                         "match hold every part of the definition; "
                         "front-block patterns and global strings cannot "
                         "tell these types apart:\n  1 of the 2 files of "
                         "like/*\n    like/twin.typ\n"),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(dir.Exists("tuned.mavo.xml"));

  // Never over the definition unless --out names it.
  run = Check(dir, {"tune", "tuned.mavo.xml", "given/*"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "mavocheck: error: the tuned definition would replace "
            "tuned.mavo.xml; name the file to write with --out\n");
  run = Check(dir, {"tune", "newtype.mavo.xml", "given/*", "--out",
                    "newtype.mavo.xml"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(dir.Exists("newtype.mavo.xml.bak"));

  // A file that cannot be written is an error with the system's reason,
  // and nothing else is left behind.
  run = Check(dir, {"tune", "newtype.mavo.xml", "given/*", "--out",
                    "missing/tuned.xml"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  // The reason's words are the system's own ("No such file or directory",
  // "Path not found").
  EXPECT_TRUE(run.err.starts_with(
      "mavocheck: error: unable to write file missing/tuned.xml ("))
      << run.err;
  EXPECT_TRUE(run.err.ends_with(")\n") &&
              run.err.find('\n') == run.err.size() - 1)
      << run.err;

  run = Check(dir, {"tune", "newtype.mavo.xml", "given/0.typ", "given/1.typ"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("at least 3 samples"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace mavoscan::e2e

namespace mavoscan::e2e {
namespace {

// 38 files of one version of a compiled format and 2 of another: the
// rare version gets a group and a definition of its own.
TEST(SplitRun, WritesADefinitionPerGroupWithItsFiles) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) {
    const bool rare = i == 5 || i == 23;
    std::string file = rare ? std::string("\x1E\x02NEWTERM!", 10)
                            : std::string("\x1A\x01TERMINFO", 10);
    uint32_t state = 88172645u + static_cast<uint32_t>(i) * 104729u;
    for (int b = 0; b < 60; ++b) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      file += static_cast<char>(state);
    }
    char name[16];
    std::snprintf(name, sizeof name, "in/%02d.ti", i);
    dir.Write(name, file);
  }
  dir.MakeDir("out");
  RunSettings settings;
  settings.program = Program::kChecker;
  RunResult run = dir.Run({"split", "in/*", "--out-dir", "out"}, settings);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "The 40 files fall into 2 groups\n"
            "  group 1: 38 files, offset 0: 1A0154, offset 4: 524D494E464F\n"
            "    out/group1.mavo.xml: 1 pattern of 10 bytes, 1 global string\n"
            "    out/group1.files: its files\n"
            "  group 2: 2 files, offset 0: 1E024E, offset 4: 575445524D21\n"
            "    out/group2.mavo.xml: 1 pattern of 10 bytes, 1 global string\n"
            "    out/group2.files: its files\n");
  EXPECT_EQ(dir.Read("out/group2.files"), "in/05.ti\nin/23.ti\n");
  const std::string rare = dir.Read("out/group2.mavo.xml");
  EXPECT_NE(rare.find("<Bytes>1E024E45575445524D21</Bytes>\r\n"),
            std::string::npos)
      << rare;
  EXPECT_NE(rare.find("<Ext>TI</Ext>\r\n"), std::string::npos) << rare;
  EXPECT_NE(rare.find("<FileNum>2</FileNum>\r\n"), std::string::npos) << rare;
  run = dir.Run({"verify", "out/group2.mavo.xml", "in/05.ti", "in/23.ti",
                 "--not", "in/0?.ti"},
                settings);
  EXPECT_EQ(run.exit_code, 1) << "in/05.ti is among the --not files";
  run = dir.Run({"verify", "out/group1.mavo.xml", "in/*"}, settings);
  EXPECT_NE(run.out.find("\n38 of 40 match\n"), std::string::npos) << run.out;

  // Never over an earlier split.
  run = dir.Run({"split", "in/*", "--out-dir", "out/"}, settings);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err,
            "mavocheck: error: out/group1.mavo.xml exists already; give "
            "--out-dir a directory without groups\n");
}

}  // namespace
}  // namespace mavoscan::e2e
