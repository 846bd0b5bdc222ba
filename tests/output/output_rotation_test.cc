#include "output/output_rotation.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

constexpr char kNew[] = "newtype.mavo.xml";
constexpr char kBak[] = "newtype.mavo.xml.bak";

TEST(OutputRotation, NewDefinitionRunsKeepOneGeneration) {
  FakePlatform fake;
  std::string moved = "stale";
  Failure failure;
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &moved, &failure));  // first run
  EXPECT_FALSE(fake.HasFile(kBak));
  EXPECT_EQ(moved, "");
  for (const char* previous : {"first", "second"}) {
    fake.AddFile(kNew, previous);
    ASSERT_TRUE(RotateOutput(fake, false, kNew, &moved, &failure))
        << failure.text;
    EXPECT_EQ(fake.FileData(kBak), previous);
    EXPECT_FALSE(fake.HasFile(kNew));
    EXPECT_EQ(moved, kNew);
  }
  // Without a previous definition the backup stays as it is.
  ASSERT_TRUE(RotateOutput(fake, false, kNew, &moved, &failure));
  EXPECT_EQ(fake.FileData(kBak), "second");
}

TEST(OutputRotation, RefiningMovesTheBaseDefinitionToTheBackup) {
  for (const char* definition :
       {"defs/x.mavo.xml", kNew, "./newtype.mavo.xml"}) {
    FakePlatform fake;
    fake.AddFile(kNew, "unrelated");
    fake.AddFile(kBak, "old backup");
    fake.AddFile(definition, "base");
    std::string moved;
    Failure failure;
    ASSERT_TRUE(RotateOutput(fake, true, definition, &moved, &failure))
        << failure.text;
    EXPECT_EQ(moved, definition);
    EXPECT_EQ(fake.FileData(kBak), "base") << definition;
    EXPECT_FALSE(fake.HasFile(definition)) << definition;
    EXPECT_EQ(fake.HasFile(kNew), definition[0] == 'd') << definition;
  }
}

TEST(OutputRotation, AFailedStepStopsNamingTheFileAndKeepsThePrevious) {
  const struct {
    bool refining;
    std::string fail_delete, fail_move, kept;
  } rows[] = {
      {false, kBak, "", kNew},
      {false, "", kNew, kNew},
      {true, kBak, "", "d/x.xml"},
      {true, "", "d/x.xml", "d/x.xml"},
  };
  for (const auto& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile("d/x.xml", "previous");
    fake.AddFile(kBak, "old");
    if (!row.fail_delete.empty()) fake.FailDeleteOf(row.fail_delete);
    if (!row.fail_move.empty()) fake.FailMoveOf(row.fail_move);
    std::string moved;
    Failure failure;
    const std::string named = row.fail_delete + row.fail_move;
    EXPECT_FALSE(RotateOutput(fake, row.refining, "d/x.xml", &moved, &failure))
        << named;
    EXPECT_EQ(fake.FileData(row.kept), "previous") << named;
    EXPECT_TRUE(failure.text.starts_with("* Error: ") &&
                failure.text.ends_with("!"))
        << failure.text;
    EXPECT_NE(failure.text.find(named), std::string::npos) << failure.text;
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

}  // namespace
}  // namespace mavoscan
