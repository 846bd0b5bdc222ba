#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "e2e/transcripts.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

constexpr char kOutput[] = "newtype.mavo.xml";

std::string CollectionFailure(std::initializer_list<std::string_view> lines) {
  return Join({Banner(), Lines({"", "Checking files..."}), Lines(lines)});
}

const std::string& TooFewFiles() {
  static const std::string text = CollectionFailure(
      {"",
       "* Error: You need to scan at least 2 files (the more, the better!),",
       "         or refine an existing def"});
  return text;
}

TEST(SampleCollectionRun, NothingUsableMatches) {
  TempDir dir;
  dir.MakeDir("dir.bin");
  dir.Write(".hidden.bin", FamilySample(0));
  // Windows knows neither; Wine shows both as files that cannot be opened.
  if (!WindowsTool()) {
    dir.Symlink("missing-target", "broken.bin");
    dir.MakeFifo("pipe.bin");
  }
  dir.Write("other.txt", FamilySample(1));
  RunResult run = dir.Run({"*.bin"});
  EXPECT_EQ(run.out, CollectionFailure({"", "* Error: no matching files!"}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

// One usable file among entries the search passes over is still one file.
TEST(SampleCollectionRun, SingleFile) {
  TempDir dir;
  dir.Write("only.bin", FamilySample(0));
  dir.Write(".hidden.bin", FamilySample(1));
  dir.MakeDir("dir.bin");
  RunResult run = dir.Run({"*.bin"});
  EXPECT_EQ(run.out, TooFewFiles());
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

// Links to regular files are samples under their own names.
TEST(SampleCollectionRun, LinkedFilesAreSamples) {
  TempDir dir;
  dir.Write("real/a.bin", FamilySample(0));
  dir.Symlink("real/a.bin", "a.bin");
  dir.Symlink("real/a.bin", "b.bin");
  RunResult run = dir.Run({"*.bin", "/NS"});
  EXPECT_NE(
      run.out.find(Lines({"Found 2 matching files", "Header Block Size: 23"})),
      std::string::npos);
  EXPECT_EQ(run.exit_code, 0);
}

// The tool must not be able to read the file; as root it runs as nobody for
// this, since root reads any file.
TEST(SampleCollectionRun, UnreadableFile) {
  TempDir dir;
  dir.Write("sub/a.bin", FamilySample(0));
  dir.Write("sub/b.bin", FamilySample(1));
  dir.Write("sub/c.bin", FamilySample(2));
  dir.Chmod("sub/b.bin", 0);
  dir.Chmod(".", 0755);
  RunResult run = dir.Run({"sub/*.bin", "/NS"}, {.drop_root = true});
  if (run.exit_code == 125) GTEST_SKIP() << run.err;
  EXPECT_EQ(run.out,
            CollectionFailure({"", "* Error: Unable to open file <sub/b.bin>",
                               "         (Permission denied)"}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

// Samples named by a mask with a directory are opened under that directory;
// a mask that ends in "/" takes every file of the directory.
TEST(SampleCollectionRun, MaskWithDirectory) {
  struct Row {
    const char* name;
    const char* mask;
    int found;
  };
  const Row rows[] = {
      {"directory and wildcard", "sub/*.bin", 2},
      {"directory alone", "sub/", 3},
      {"directory with a space", "my samples/*", 2},
      {"wildcards match without letter case", "sub/?.BIN", 2},
  };
  for (const Row& row : rows) {
    TempDir dir;
    dir.Write("sub/a.bin", FamilySample(0));
    dir.Write("sub/b.bin", FamilySample(1));
    dir.Write("sub/c.txt", FamilySample(2));
    dir.Write("my samples/a.bin", FamilySample(0));
    dir.Write("my samples/b.bin", FamilySample(1));
    dir.Write("a.bin", "top level: not a sample");
    RunResult run = dir.Run({row.mask, "/NS"});
    EXPECT_EQ(
        run.out,
        Join({Banner(),
              Lines({"", "Checking files...",
                     "Found " + std::to_string(row.found) + " matching files",
                     "Header Block Size: 23", "Scanning for patterns...",
                     "Pattern(s) found: 3", "Last Pattern end at offset: 22",
                     "Writing XML file <newtype.mavo.xml>...", "Finished!"})}))
        << row.name;
    EXPECT_EQ(run.exit_code, 0) << row.name;
    EXPECT_TRUE(dir.Exists(kOutput)) << row.name;
    EXPECT_FALSE(dir.Exists(std::string("sub/") + kOutput)) << row.name;
  }
}

// Only the first 2048 files in name order are taken; the last one would
// leave no common byte if it were.
TEST(SampleCollectionRun, AtMost2048Samples) {
  TempDir dir;
  for (int i = 0; i < 2048; ++i) {
    char name[16];
    snprintf(name, sizeof name, "f%04d.s", i);
    dir.Write(name, std::string("MVX") + static_cast<char>(i % 200 + 1));
  }
  dir.Write("f2048.s", "XYZW");
  RunResult run = dir.Run({"*.s", "/NS"});
  EXPECT_EQ(
      run.out,
      Join({Banner(),
            Lines({"", "Checking files...", "Found 2048 matching files",
                   "Header Block Size: 4", "Scanning for patterns...",
                   "Pattern(s) found: 1", "Last Pattern end at offset: 2",
                   "Writing XML file <newtype.mavo.xml>...", "Finished!"})}));
  EXPECT_EQ(run.exit_code, 0);
  if (dir.Exists(kOutput)) {
    std::string definition = dir.Read(kOutput);
    EXPECT_NE(definition.find("\t\t<FileNum>2048</FileNum>\r\n"),
              std::string::npos);
    EXPECT_NE(definition.find("\t\t<Ext>S</Ext>\r\n"), std::string::npos);
  }
}

// The extension all samples share, upper-cased; empty once two differ.
TEST(SampleCollectionRun, CommonExtension) {
  struct Row {
    const char* name;
    std::vector<std::string> files;
    std::string ext;
    // Windows drops dots and spaces at the end of a name it is given, so
    // such a name found by the search cannot be opened again.
    bool posix_only = false;
  };
  const Row rows[] = {
      {"same extension, any case", {"a.exe", "b.EXE", "c.Exe"}, "EXE"},
      {"one differs", {"a.exe", "b.EXE", "d.dll"}, ""},
      {"last piece after the last dot", {"a.tar.gz", "b.gz"}, "GZ"},
      {"no dot: the whole name", {"README", "readme"}, "README"},
      {"name without dot against one with", {"README", "README.txt"}, ""},
      {"trailing dot: empty", {"a.", "b."}, "", true},
      {"spaces around the extension", {"a. bin ", "b.bin"}, "BIN", true},
  };
  for (const Row& row : rows) {
    if (row.posix_only && WindowsTool()) continue;
    TempDir dir;
    for (size_t i = 0; i < row.files.size(); ++i) {
      dir.Write(row.files[i], FamilySample(static_cast<int>(i)));
    }
    RunResult run = dir.Run({"*", "/NS"});
    EXPECT_EQ(run.exit_code, 0) << row.name;
    if (run.exit_code != 0) continue;
    std::string definition = dir.Read(kOutput);
    std::string line = "\t\t<Ext>" + row.ext + "</Ext>\r\n";
    EXPECT_NE(definition.find(line), std::string::npos) << row.name << "\n"
                                                        << definition;
  }
}

TEST(SampleCollectionRun, EmptySample) {
  TempDir dir;
  dir.Write("a.bin", FamilySample(0));
  dir.Write("b.bin", "");
  dir.Write("c.bin", FamilySample(2));
  RunResult run = dir.Run({"*.bin"});
  EXPECT_EQ(
      run.out,
      Join({Banner(), Lines({"", "Checking files...", "Found 3 matching files",
                             "Header Block Size: 0", "Scanning for patterns...",
                             "Pattern(s) found: 0"})}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

// The smallest sample limits the compared block; no common byte in it ends
// the run.
TEST(SampleCollectionRun, NoCommonByte) {
  TempDir dir;
  dir.Write("a.bin", "ABCD" + std::string(3000, 'x'));
  dir.Write("b.bin", "WXYZ");
  RunResult run = dir.Run({"*.bin"});
  EXPECT_EQ(
      run.out,
      Join({Banner(), Lines({"", "Checking files...", "Found 2 matching files",
                             "Header Block Size: 4", "Scanning for patterns...",
                             "Pattern(s) found: 0"})}));
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(dir.Exists(kOutput));
}

}  // namespace
}  // namespace mavoscan::e2e
