#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "e2e/e2e_harness.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

RunResult Check(const TempDir& dir, const std::vector<std::string>& args,
                RunSettings settings = {}) {
  settings.program = Program::kChecker;
  return dir.Run(args, settings);
}

// A sample of a second invented type: a PNG-like signature, a byte that
// differs and a chunk name.
std::string ChunkSample(int index) {
  std::string sample = "\x89PNG\r\n\x1a\n";
  sample += static_cast<char>(index);
  sample += "IHDR chunked data of the sample";
  return sample;
}

// Builds a definition of type `type` with the scanner from the files of
// `mask` and stores it as lib/`name`.
void BuildDefinition(const TempDir& dir, const std::string& mask,
                     const std::string& type, const std::string& name) {
  ASSERT_EQ(dir.Run({mask}).exit_code, 0);
  std::string definition = dir.Read("newtype.mavo.xml");
  const std::string placeholder = "Enter a useful file type description";
  definition.replace(definition.find(placeholder), placeholder.size(), type);
  dir.Write("lib/" + name, definition);
  dir.Remove("newtype.mavo.xml");
}

// Two types, each defined from three samples, and new files of both, one
// of neither.
void MakeLibraryAndFiles(const TempDir& dir) {
  for (int i = 0; i < 3; ++i) {
    dir.Write("train/mvx/" + std::to_string(i) + ".bin", FamilySample(i));
    dir.Write("train/png/" + std::to_string(i) + ".bin", ChunkSample(i));
  }
  BuildDefinition(dir, "train/mvx/*", "MVX drawing", "mvx.mavo.xml");
  BuildDefinition(dir, "train/png/*", "Chunk image", "png.mavo.xml");
  dir.Write("in/a.bin", FamilySample(7));
  dir.Write("in/b c.bin", ChunkSample(9));
  dir.Write("in/d.bin", "nothing known");
}

TEST(IdentifyRun, NamesTheTypeOfEachFile) {
  TempDir dir;
  MakeLibraryAndFiles(dir);
  RunResult run = Check(dir, {"identify", "--defs", "lib", "in/*"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "in/a.bin: MVX drawing [mvx.mavo.xml, 165 bits]\n"
            "in/b c.bin: Chunk image [png.mavo.xml, 388.7 bits]\n"
            "in/d.bin: unknown\n");

  run = Check(dir, {"identify", "--defs", "lib", "--json", "in/b c.bin"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "{\"format\":\"mavocheck-identify/1\",\"path\":\"in/b c.bin\","
            "\"size\":40,\"status\":\"ok\",\"tie\":false,\"matches\":[{"
            "\"definition\":\"png.mavo.xml\",\"file_type\":\"Chunk image\","
            "\"ext\":\"BIN\",\"bits\":388.7,\"weak\":false,\"basis\":{"
            "\"patterns\":2,\"pattern_bytes\":39,\"pattern_bits\":232.0,"
            "\"strings\":1,\"string_bits\":156.7}}]}\n");
}

TEST(IdentifyRun, UnreadableFilesAndBadDefinitions) {
  TempDir dir;
  MakeLibraryAndFiles(dir);
  if (!WindowsTool()) {
    dir.Write("in/c.bin", FamilySample(8));
    dir.Chmod("in/c.bin", 0);
    RunSettings as_nobody;
    as_nobody.drop_root = true;
    // The library and the files must be readable by the user the run
    // takes.
    dir.Chmod(".", 0755);
    const RunResult run =
        Check(dir, {"identify", "--defs", "lib", "in/*"}, as_nobody);
    // The user "nobody" may not reach the tool where the build lies in a
    // private directory: then this part cannot be run.
    if (run.exit_code != 125) {
      EXPECT_EQ(run.exit_code, 1) << run.err;
      EXPECT_EQ(run.out,
                "in/a.bin: MVX drawing [mvx.mavo.xml, 165 bits]\n"
                "in/b c.bin: Chunk image [png.mavo.xml, 388.7 bits]\n"
                "in/c.bin: error: cannot open: Permission denied\n"
                "in/d.bin: unknown\n");
      EXPECT_EQ(run.err, "mavocheck: 1 of 4 files could not be read\n");
    }
    dir.Remove("in/c.bin");
  }
  dir.Write("lib/broken.mavo.xml", "<html>no definition</html>");
  const RunResult run = Check(dir, {"identify", "--defs", "lib", "in/*"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with("mavocheck: error: lib/broken.mavo.xml"))
      << run.err;
}

struct ShellResult {
  int exit_code = -1;
  std::string out;
};

// Runs `command` with /bin/sh in `dir`, mavocheck's path in $MAVOCHECK.
ShellResult Shell(const TempDir& dir, const std::string& command) {
  const std::string line = "cd '" + dir.path() + "' && MAVOCHECK='" +
                           CHECK_BINARY + "' && export MAVOCHECK && { " +
                           command + "; } > out.txt 2> err.txt";
  const int status = std::system(line.c_str());
  ShellResult result;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.out = dir.Read("out.txt");
  dir.Remove("out.txt");
  dir.Remove("err.txt");
  return result;
}

// Names as find gives them, through a pipe, newline- or NUL-separated.
TEST(IdentifyRun, ReadsTheListFromAPipe) {
  if (WindowsTool()) GTEST_SKIP() << "needs a POSIX shell and the POSIX build";
  TempDir dir;
  MakeLibraryAndFiles(dir);
  dir.Write("in/new\nline.bin", ChunkSample(4));
  ShellResult run =
      Shell(dir,
            "find in -type f -print0 | sort -z | "
            "\"$MAVOCHECK\" identify --defs lib --files-from - -0");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "in/a.bin: MVX drawing [mvx.mavo.xml, 165 bits]\n"
            "in/b c.bin: Chunk image [png.mavo.xml, 388.7 bits]\n"
            "in/d.bin: unknown\n"
            "in/new\\x0Aline.bin: Chunk image [png.mavo.xml, 388.7 bits]\n");
  run = Shell(dir,
              "printf 'in/d.bin\\nin/a.bin\\n' | \"$MAVOCHECK\" identify "
              "--defs lib --files-from -");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "in/d.bin: unknown\n"
            "in/a.bin: MVX drawing [mvx.mavo.xml, 165 bits]\n");
}

// The README's recipe for GNU parallel: a list cut into blocks, each block
// identified by a run of its own, the answers kept in the list's order.
TEST(IdentifyRun, GnuParallelRecipe) {
  if (WindowsTool()) GTEST_SKIP() << "needs a POSIX shell and the POSIX build";
  if (std::system("parallel --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed";
  }
  TempDir dir;
  MakeLibraryAndFiles(dir);
  for (int i = 0; i < 40; ++i) {
    dir.Write("in/more/" + std::to_string(100 + i) + ".bin",
              i % 2 ? FamilySample(i) : ChunkSample(i));
  }
  const ShellResult single =
      Shell(dir,
            "find in -type f | sort > list.txt && \"$MAVOCHECK\" identify "
            "--defs lib --json --files-from list.txt");
  ASSERT_EQ(single.exit_code, 0);
  const ShellResult spread =
      Shell(dir,
            "parallel --will-cite --pipe -N 10 --keep-order \"$MAVOCHECK\" "
            "identify --defs lib --json --files-from - < list.txt");
  EXPECT_EQ(spread.exit_code, 0);
  EXPECT_EQ(spread.out, single.out);
  EXPECT_EQ(std::count(spread.out.begin(), spread.out.end(), '\n'), 43);
}

#ifdef IDENTIFY_EXAMPLE
// The library's worked example, which reads the bytes itself, gives the
// answers of mavocheck identify.
TEST(IdentifyRun, LibraryExampleAgrees) {
  if (WindowsTool()) GTEST_SKIP() << "runs the POSIX build";
  TempDir dir;
  MakeLibraryAndFiles(dir);
  const ShellResult run = Shell(dir, std::string("'") + IDENTIFY_EXAMPLE +
                                         "' lib in/a.bin 'in/b c.bin' "
                                         "in/d.bin");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "in/a.bin: MVX drawing (mvx.mavo.xml, 165.0 bits)\n"
            "in/b c.bin: Chunk image (png.mavo.xml, 388.7 bits)\n"
            "in/d.bin: unknown\n");
}
#endif

}  // namespace
}  // namespace mavoscan::e2e
