#include "frontblock/sample_collection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

// A directory search that returns names in a scripted order, duplicates
// included, and files whose size or reads can be scripted.
class ScriptedPlatform : public FakePlatform {
 public:
  struct FileScript {
    int64_t size = 0;
    bool read_fails = false;
    size_t short_read = SIZE_MAX;  // read at most this many bytes
  };

  std::vector<std::string> names;
  std::map<std::string, FileScript> scripts;

  std::vector<std::string> FindFiles(const std::string&) override {
    return names;
  }
  std::unique_ptr<ReadableFile> OpenForReading(
      const std::string& name) override {
    auto it = scripts.find(name);
    if (it == scripts.end()) return FakePlatform::OpenForReading(name);
    return std::make_unique<ScriptedFile>(it->second);
  }

 private:
  class ScriptedFile : public ReadableFile {
   public:
    explicit ScriptedFile(FileScript script) : script_(script) {}
    int64_t Size() override { return script_.size; }
    bool ReadAt(int64_t, size_t length, std::string* out) override {
      if (script_.read_fails) return false;
      out->assign(std::min(length, script_.short_read), 'x');
      return true;
    }

   private:
    FileScript script_;
  };
};

TEST(SampleCollection, HeaderBlockFallsWithEachSmallerSample) {
  FakePlatform fake;
  fake.AddFile("s/a.bin", std::string(3000, 'a'));
  fake.AddFile("s/b.bin", std::string(100, 'b'));
  fake.AddFile("s/c.bin", std::string(2500, 'c'));
  SampleCollection collection;
  Failure failure;
  ASSERT_TRUE(CollectSamples(fake, "s/*.bin", "s/", 0, &collection, &failure));
  EXPECT_EQ(fake.output(),
            "Checking files...\r\nFound 3 matching files\r\n"
            "Header Block Size: 100\r\n");
  EXPECT_EQ(collection.header_block_size, 100);
  ASSERT_EQ(collection.front_blocks.size(), 4u);
  EXPECT_EQ(collection.front_blocks[0], "");
  EXPECT_EQ(collection.front_blocks[1], std::string(2048, 'a'));
  EXPECT_EQ(collection.front_blocks[2], std::string(100, 'b'));
  EXPECT_EQ(collection.front_blocks[3], std::string(100, 'c'));
  ASSERT_EQ(collection.samples.size(), 3u);
  EXPECT_EQ(collection.samples[0].path, "s/a.bin");
  EXPECT_EQ(collection.samples[0].size, 3000);
  EXPECT_EQ(collection.samples[2].path, "s/c.bin");
  EXPECT_EQ(collection.samples[2].size, 2500);
  EXPECT_EQ(fake.open_count("s/c.bin"), 1);
}

TEST(SampleCollection, EmptySampleEmptiesEveryLaterBlock) {
  FakePlatform fake;
  fake.AddFile("a.bin", "abc");
  fake.AddFile("b.bin", "");
  fake.AddFile("c.bin", "abc");
  SampleCollection collection;
  Failure failure;
  ASSERT_TRUE(CollectSamples(fake, "*.bin", "", 0, &collection, &failure));
  EXPECT_EQ(collection.header_block_size, 0);
  EXPECT_EQ(collection.front_blocks[1], "abc");
  EXPECT_EQ(collection.front_blocks[3], "");
  EXPECT_NE(fake.output().find("Header Block Size: 0\r\n"), std::string::npos);
}

TEST(SampleCollection, RefinementKeepsBaseBlockAndStartingSize) {
  FakePlatform fake;
  fake.AddFile("a.bin", "0123456789");
  SampleCollection collection;
  collection.front_blocks[0] = "    ABCD";
  collection.header_block_size = 8;
  Failure failure;
  // One new sample is enough when the base definition counts one file.
  ASSERT_TRUE(CollectSamples(fake, "*.bin", "", 1, &collection, &failure))
      << failure.text;
  EXPECT_EQ(collection.front_blocks[0], "    ABCD");
  EXPECT_EQ(collection.front_blocks[1], "01234567");
  EXPECT_EQ(collection.header_block_size, 8);
}

TEST(SampleCollection, Failures) {
  struct Row {
    const char* name;
    std::vector<std::string> files;
    int64_t base_file_count;
    std::string reason;
    std::string text;
    std::vector<std::string> details;
  };
  const Row rows[] = {
      {"nothing matches",
       {"d/x.txt", "d/.hidden.bin"},
       0,
       "",
       "* Error: no matching files!",
       {}},
      {"one sample, no base",
       {"d/a.bin"},
       0,
       "",
       "* Error: You need to scan at least 2 files (the more, the better!),",
       {"or refine an existing def"}},
      {"unopenable sample",
       {"d/a.bin", "d/b.bin", "d/c.bin"},
       0,
       "",
       "* Error: Unable to open file <d/b.bin>",
       {}},
      {"unopenable sample with the system's reason",
       {"d/a.bin", "d/b.bin", "d/c.bin"},
       0,
       "Permission denied",
       "* Error: Unable to open file <d/b.bin>",
       {"(Permission denied)"}},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    for (const std::string& file : row.files) fake.AddFile(file, "data");
    fake.AddDirectory("d/dir.bin");
    fake.MakeUnreadable("d/b.bin");
    fake.SetFailureReason(row.reason);
    SampleCollection collection;
    Failure failure;
    EXPECT_FALSE(CollectSamples(fake, "d/*.bin", "d/", row.base_file_count,
                                &collection, &failure))
        << row.name;
    EXPECT_TRUE(failure.blank_line_before) << row.name;
    EXPECT_EQ(failure.text, row.text) << row.name;
    EXPECT_EQ(failure.details, row.details) << row.name;
    EXPECT_EQ(fake.output(), "Checking files...\r\n") << row.name;
    // The collection stops at the unopenable file.
    EXPECT_EQ(fake.open_count("d/c.bin"), 0) << row.name;
  }
}

TEST(SampleCollection, CommonExtension) {
  struct Row {
    const char* name;
    std::vector<std::string> files;
    std::string extension;
  };
  const Row rows[] = {
      {"same in any case", {"a.exe", "b.EXE", "c.exe"}, "EXE"},
      {"one differs", {"a.exe", "b.EXE", "c.exe", "d.dll"}, ""},
      {"emptied for good", {"a.exe", "b.dll", "c.exe", "d.exe"}, ""},
      {"no dot: whole name", {"README", "readme"}, "README"},
      {"last piece only", {"a.tar.gz", "b.gz"}, "GZ"},
      {"spaces trimmed", {"a. gz ", "b.gz"}, "GZ"},
      {"ends in dot", {"a.", "b."}, ""},
      {"code page letter", {"a.\x84x", "b.\x8EX"}, "\x8EX"},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    for (const std::string& file : row.files) fake.AddFile(file, "data");
    SampleCollection collection;
    Failure failure;
    ASSERT_TRUE(CollectSamples(fake, "*", "", 0, &collection, &failure))
        << row.name << failure.text;
    EXPECT_EQ(collection.common_extension, row.extension) << row.name;
  }
}

TEST(SampleCollection, StopsAtTheSampleLimit) {
  FakePlatform fake;
  for (int i = 0; i < kMaxSamples + 2; ++i) {
    char name[16];
    snprintf(name, sizeof name, "f%05d.bin", i);
    fake.AddFile(name, "data");
  }
  SampleCollection collection;
  Failure failure;
  ASSERT_TRUE(CollectSamples(fake, "*.bin", "", 0, &collection, &failure));
  EXPECT_EQ(collection.samples.size(), 2048u);
  EXPECT_EQ(collection.front_blocks.size(), 2049u);
  EXPECT_EQ(fake.open_count("f02048.bin"), 0);
  EXPECT_NE(fake.output().find("Found 2048 matching files\r\n"),
            std::string::npos);
}

TEST(SampleCollection, NameReturnedTwiceIsTakenOnce) {
  ScriptedPlatform fake;
  // "a" sits between two "|" inside "a|b"; it is still a name of its own.
  fake.names = {"a|b", "a", "b", "a", "a|b"};
  for (const char* name : {"a|b", "a", "b"}) fake.AddFile(name, "xyz");
  SampleCollection collection;
  Failure failure;
  ASSERT_TRUE(CollectSamples(fake, "*", "", 0, &collection, &failure));
  ASSERT_EQ(collection.samples.size(), 3u);
  EXPECT_EQ(collection.samples[0].path, "a|b");
  EXPECT_EQ(collection.samples[1].path, "a");
  EXPECT_EQ(collection.samples[2].path, "b");
}

TEST(SampleCollection, LargeShrinkingAndUnreadableFiles) {
  ScriptedPlatform fake;
  fake.names = {"big", "shrunk", "small"};
  fake.scripts["big"].size = int64_t{5} << 30;
  fake.scripts["shrunk"].size = 4000;
  fake.scripts["shrunk"].short_read = 700;
  fake.AddFile("small", std::string(900, 's'));
  SampleCollection collection;
  Failure failure;
  ASSERT_TRUE(CollectSamples(fake, "*", "", 0, &collection, &failure));
  EXPECT_EQ(collection.samples[0].size, int64_t{5} << 30);
  EXPECT_EQ(collection.front_blocks[1].size(), 2048u);
  // The shrunk file's 700 bytes bound the compared length.
  EXPECT_EQ(collection.header_block_size, 700);
  EXPECT_EQ(collection.front_blocks[3].size(), 700u);

  ScriptedPlatform failing;
  failing.names = {"bad", "good"};
  failing.scripts["dir/bad"] = {10, true, SIZE_MAX};
  failing.AddFile("dir/good", "data");
  SampleCollection other;
  EXPECT_FALSE(CollectSamples(failing, "*", "dir/", 0, &other, &failure));
  EXPECT_EQ(failure.text, "* Error: Unable to open file <dir/bad>");
}

}  // namespace
}  // namespace mavoscan
