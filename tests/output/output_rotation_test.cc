#include "output/output_rotation.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

constexpr char kNew[] = "newtype.mavo.xml";
constexpr char kBak[] = "newtype.mavo.xml.bak";
constexpr char kDefinition[] = "<Mavo ver=\"2.00\">\r\n</Mavo>\r\n";

bool HasTemporary(const FakePlatform& fake) {
  for (const std::string& path : fake.AllFiles()) {
    if (path.find(kTemporaryPrefix) != std::string::npos) return true;
  }
  return false;
}

TEST(OutputRotation, NewDefinitionRunsKeepOneGeneration) {
  FakePlatform fake;
  Failure failure;
  ASSERT_TRUE(BackUpPrevious(fake, false, kNew, &failure));  // first run
  EXPECT_FALSE(fake.HasFile(kBak));
  for (const char* previous : {"first", "second"}) {
    fake.AddFile(kNew, previous);
    ASSERT_TRUE(BackUpPrevious(fake, false, kNew, &failure)) << failure.text;
    EXPECT_EQ(fake.FileData(kBak), previous);
    // The previous file keeps its name until the new one replaces it.
    EXPECT_EQ(fake.FileData(kNew), previous);
    fake.RemoveFile(kNew);
  }
  // Without a previous definition the backup stays as it is.
  ASSERT_TRUE(BackUpPrevious(fake, false, kNew, &failure));
  EXPECT_EQ(fake.FileData(kBak), "second");
  EXPECT_FALSE(HasTemporary(fake));
}

TEST(OutputRotation, RefiningKeepsTheBaseDefinitionAsTheBackup) {
  for (const char* definition :
       {"defs/x.mavo.xml", kNew, "./newtype.mavo.xml"}) {
    FakePlatform fake;
    fake.AddFile(kNew, "unrelated");
    fake.AddFile(kBak, "old backup");
    fake.AddFile(definition, "base");
    Failure failure;
    ASSERT_TRUE(BackUpPrevious(fake, true, definition, &failure))
        << failure.text;
    EXPECT_EQ(fake.FileData(kBak), "base") << definition;
    EXPECT_EQ(fake.FileData(definition), "base") << definition;
    EXPECT_EQ(fake.FileData(kNew), definition[0] == 'd' ? "unrelated" : "base")
        << definition;
    EXPECT_FALSE(HasTemporary(fake)) << definition;
  }
}

// A step that fails stops the run with the previous file and the old
// backup where they were, and no second name left.
TEST(OutputRotation, AFailedStepKeepsBothNames) {
  const struct {
    const char* name;
    bool refining;
    FakeCall fault;
  } rows[] = {
      {"link fails", false, FakeCall::kLink},
      {"link fails refining", true, FakeCall::kLink},
      {"backup not replaced", false, FakeCall::kRename},
      {"backup not replaced refining", true, FakeCall::kRename},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile("d/x.xml", "base");
    fake.AddFile(kBak, "old");
    fake.FailCall(row.fault, 1);
    Failure failure;
    EXPECT_FALSE(BackUpPrevious(fake, row.refining, "d/x.xml", &failure))
        << row.name;
    EXPECT_EQ(fake.FileData(kNew), "previous") << row.name;
    EXPECT_EQ(fake.FileData("d/x.xml"), "base") << row.name;
    EXPECT_EQ(fake.FileData(kBak), "old") << row.name;
    EXPECT_FALSE(HasTemporary(fake)) << row.name;
    const std::string previous = row.refining ? "d/x.xml" : kNew;
    EXPECT_EQ(failure.text, "* Error: unable to move " + previous +
                                " to the backup file newtype.mavo.xml.bak!")
        << row.name;
  }
}

TEST(OutputRotation, TheBackupItselfCannotBeRefinedInPlace) {
  const struct {
    std::string definition;
    bool backup_exists, refinable;
  } rows[] = {
      {kBak, true, false}, {"./newtype.mavo.xml.bak", true, false},
      {kNew, true, true},  {"d/newtype.mavo.xml.bak", true, true},
      {kBak, false, true},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile("d/newtype.mavo.xml.bak", "elsewhere");
    if (row.backup_exists) fake.AddFile(kBak, "backup");
    Failure failure;
    EXPECT_EQ(CheckRefinableInPlace(fake, row.definition, &failure),
              row.refinable)
        << row.definition << row.backup_exists;
    EXPECT_EQ(failure.text.starts_with("* Error: the backup file"),
              !row.refinable)
        << failure.text;
  }
}

// Only files that hold a whole definition are named: the backup in the
// current directory and temporaries of ended runs beside the base.
TEST(OutputRotation, NotesNameWhereAMissingBaseMayBe) {
  const std::string kBackupNote =
      "its previous text may be the backup file newtype.mavo.xml.bak";
  const std::string kLeftIn = "a stopped run left a complete definition in ";
  const std::string kTemp = std::string("d/") + kTemporaryPrefix + "9-1.tmp";
  const struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> notes;
  } rows[] = {
      {"nothing left", {}, {}},
      {"backup", {{kBak, kDefinition}}, {kBackupNote}},
      {"backup with LF and blanks",
       {{kBak, "<Mavo>\n</Mavo>\n\n  "}},
       {kBackupNote}},
      {"backup of something else", {{kBak, "old notes"}}, {}},
      {"complete temporary", {{kTemp, kDefinition}}, {kLeftIn + kTemp}},
      {"temporary cut short", {{kTemp, "<Mavo ver=\"2.00\">\r\n\t<In"}}, {}},
      {"temporary in another directory",
       {{std::string(kTemporaryPrefix) + "9-1.tmp", kDefinition}},
       {}},
      {"both",
       {{kBak, kDefinition}, {kTemp, kDefinition}},
       {kBackupNote, kLeftIn + kTemp}},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    for (const auto& [path, data] : row.files) fake.AddFile(path, data);
    EXPECT_EQ(LeftDefinitionNotes(fake, "d/base.xml"), row.notes) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
