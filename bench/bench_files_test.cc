#include "bench_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace mavoscan {
namespace {

// The read floor and the tool must see the same files: regular, not hidden,
// not links (the copy of a user directory leaves those out), in byte order.
TEST(ListFiles, TakesOnlyRegularVisibleMatchingFilesInByteOrder) {
  char pattern[] = "/tmp/mavobench_files_XXXXXX";
  std::string dir = mkdtemp(pattern);
  std::string err;
  for (const char* name :
       {"b.so.1", "B.so.2", "a.so.10", ".hidden.so.1", "notes.txt", "a.so"}) {
    ASSERT_TRUE(WriteBytes(dir + "/" + name, name, &err)) << err;
  }
  ASSERT_EQ(symlink("b.so.1", (dir + "/link.so.1").c_str()), 0);
  ASSERT_TRUE(MakeDirectories(dir + "/sub.so.3", &err)) << err;

  std::vector<std::string> names;
  ASSERT_TRUE(ListFiles(dir, "*.so.*", &names, &err)) << err;
  EXPECT_EQ(names, (std::vector<std::string>{"B.so.2", "a.so.10", "b.so.1"}));

  double seconds = -1;
  int64_t bytes = 0;
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(dir + "/" + name);
  ASSERT_TRUE(MeasureReadFloor(paths, &seconds, &bytes, &err)) << err;
  EXPECT_EQ(bytes, 6 + 7 + 6);
  EXPECT_GE(seconds, 0);

  ASSERT_TRUE(DeleteFiles(dir, "*", &err)) << err;
  ASSERT_TRUE(ListFiles(dir, "*", &names, &err)) << err;
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(RegularFileSize(dir + "/.hidden.so.1"), 12)
      << "hidden files are never deleted";
  EXPECT_EQ(RegularFileSize(dir + "/link.so.1"), -1);
  unlink((dir + "/.hidden.so.1").c_str());
  unlink((dir + "/link.so.1").c_str());
  rmdir((dir + "/sub.so.3").c_str());
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace mavoscan
