#include "output/output_rotation.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"
#include "output/definition_writer.h"

namespace mavoscan {
namespace {

constexpr char kNew[] = "newtype.mavo.xml";
constexpr char kBak[] = "newtype.mavo.xml.bak";

TEST(OutputRotation, NewDefinitionRunsKeepOneGeneration) {
  FakePlatform fake;
  std::string err;
  // First run in an empty directory: nothing to keep.
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &err)) << err;
  EXPECT_FALSE(fake.HasFile(kBak));
  fake.AddFile(kNew, "first");
  // Second run: the first run's file becomes the backup.
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &err)) << err;
  EXPECT_EQ(fake.FileData(kBak), "first");
  EXPECT_FALSE(fake.HasFile(kNew));
  fake.AddFile(kNew, "second");
  // Third run: the old backup gives way to the second run's file.
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &err)) << err;
  EXPECT_EQ(fake.FileData(kBak), "second");
  // Without a previous file an existing backup stays.
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &err)) << err;
  EXPECT_EQ(fake.FileData(kBak), "second");
  EXPECT_TRUE(err.empty());
}

TEST(OutputRotation, RefiningMovesTheBaseDefinitionToTheBackup) {
  struct Row {
    const char* name;
    std::string definition;
  };
  const Row rows[] = {
      {"a file in another directory", "defs/x.mavo.xml"},
      {"newtype.mavo.xml itself", kNew},
      {"newtype.mavo.xml spelt with ./", "./newtype.mavo.xml"},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "unrelated");
    fake.AddFile(kBak, "old backup");
    fake.AddFile(row.definition, "base");
    std::string err;
    ASSERT_TRUE(RotateOutput(fake, true, row.definition, &err))
        << row.name << ": " << err;
    EXPECT_EQ(fake.FileData(kBak), "base") << row.name;
    EXPECT_FALSE(fake.HasFile(row.definition)) << row.name;
    if (row.definition == "defs/x.mavo.xml") {
      EXPECT_EQ(fake.FileData(kNew), "unrelated") << row.name;
    }
  }
}

TEST(OutputRotation, AFailedStepStopsWithTheFileNamedAndKeepsThePrevious) {
  struct Row {
    const char* name;
    bool refining;
    std::string fail_delete;
    std::string fail_move;
    std::string kept;  // the previous definition, still in place
  };
  const Row rows[] = {
      {"new: backup cannot be deleted", false, kBak, "", kNew},
      {"new: previous cannot be moved", false, "", kNew, kNew},
      {"refining: backup cannot be deleted", true, kBak, "", "defs/x.xml"},
      {"refining: base cannot be moved", true, "", "defs/x.xml", "defs/x.xml"},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile("defs/x.xml", "previous");
    fake.AddFile(kBak, "old backup");
    if (!row.fail_delete.empty()) fake.FailDeleteOf(row.fail_delete);
    if (!row.fail_move.empty()) fake.FailMoveOf(row.fail_move);
    std::string err;
    EXPECT_FALSE(RotateOutput(fake, row.refining, "defs/x.xml", &err))
        << row.name;
    EXPECT_EQ(fake.FileData(row.kept), "previous") << row.name;
    EXPECT_EQ(err.rfind("\r\n* Error: ", 0), 0u) << row.name << ": " << err;
    EXPECT_TRUE(err.ends_with("\r\n")) << row.name;
    const std::string named =
        row.fail_delete.empty() ? row.fail_move : row.fail_delete;
    EXPECT_NE(err.find(named), std::string::npos) << row.name << ": " << err;
  }
}

TEST(OutputRotation, TheBackupItselfCannotBeRefinedInPlace) {
  struct Row {
    const char* name;
    std::string definition;
    bool backup_exists;
    bool refinable;
  };
  const Row rows[] = {
      {"the backup by name", kBak, true, false},
      {"the backup spelt with ./", "./newtype.mavo.xml.bak", true, false},
      {"the previous definition", kNew, true, true},
      {"a file elsewhere", "defs/newtype.mavo.xml.bak", true, true},
      {"no backup exists", kBak, false, true},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile("defs/newtype.mavo.xml.bak", "elsewhere");
    if (row.backup_exists) fake.AddFile(kBak, "backup");
    std::string err;
    EXPECT_EQ(CheckRefinableInPlace(fake, row.definition, &err), row.refinable)
        << row.name;
    if (!row.refinable) {
      EXPECT_EQ(err.rfind("\r\n* Error: ", 0), 0u) << row.name;
      EXPECT_NE(err.find("backup"), std::string::npos) << row.name;
      EXPECT_EQ(fake.FileData(kBak), "backup") << row.name;
    }
  }
}

}  // namespace
}  // namespace mavoscan
