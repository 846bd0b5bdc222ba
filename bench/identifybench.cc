// identifybench: times `mavocheck identify` on a library of 1,000
// definitions against 100,000 small files, with definitions of patterns
// only and with global strings as well, on 1 and 2 threads, against the
// floor of reading the same files. Also: the cost of 10 definitions beside
// 1,000 (the index should make them close), and peak memory on 10,000
// files beside 100,000 (it should not grow with the list).
//
//   identifybench [DIR [MAVOCHECK]]
//
// The files are written to DIR (default /tmp/identifybench) once and kept.

#include <cstdio>
#include <string>
#include <vector>

#include "bench_files.h"
#include "program_run.h"
#include "sample_generator.h"

#ifndef MAVO_CHECK_PATH
#define MAVO_CHECK_PATH ""
#endif

namespace mavoscan {
namespace {

constexpr int kTypes = 1000;
constexpr int kFiles = 100000;
constexpr int kFilesPerDir = 1000;
// Every kUnknownEvery-th file is of no type of the library.
constexpr int kUnknownEvery = 10;
constexpr const char* kStamp = ".identifybench-v2";

// What makes a file of type `t`: two patterns and two strings.
struct TypeShape {
  std::string signature;  // at offset 0
  std::string mark;       // at `mark_pos`
  size_t mark_pos = 0;
  std::string strings[2];
};

TypeShape Shape(int t) {
  Rng rng(0x1de0000u + static_cast<uint64_t>(t));
  TypeShape shape;
  // A quarter of the types begin alike, as archive- and executable-based
  // formats do, so that the first bytes alone do not tell them apart.
  switch (t % 4) {
    case 0:
      shape.signature = "PK";
      break;
    case 1:
      shape.signature = "MZ";
      break;
    default:
      shape.signature.push_back(static_cast<char>(rng.Range(1, 254)));
      shape.signature.push_back(static_cast<char>(rng.Range(1, 254)));
  }
  shape.signature.push_back(static_cast<char>(t & 0xFF));
  shape.signature.push_back(static_cast<char>(0x40 + (t >> 8)));
  for (int i = 0; i < 6; ++i) {
    shape.mark.push_back(static_cast<char>(rng.Range(1, 254)));
  }
  shape.mark_pos = 4 + static_cast<size_t>(t % 60);
  for (std::string& s : shape.strings) {
    for (int i = 0; i < 12; ++i) {
      s.push_back(static_cast<char>('A' + rng.Range(0, 25)));
    }
  }
  return shape;
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return hex;
}

std::string DefinitionText(int t, bool strings) {
  const TypeShape shape = Shape(t);
  std::string text = "<Mavo ver=\"2.00\">\r\n<Info>\r\n<FileType>Type " +
                     std::to_string(t) + "</FileType>\r\n<Ext>T" +
                     std::to_string(t) +
                     "</Ext>\r\n</Info>\r\n<General>\r\n"
                     "<CheckStrings>" +
                     (strings ? "True" : "False") +
                     "</CheckStrings>\r\n</General>\r\n<FrontBlock>\r\n";
  text += "<Pattern>\r\n<Bytes>" + Hex(shape.signature) +
          "</Bytes>\r\n<Pos>0</Pos>\r\n</Pattern>\r\n";
  text += "<Pattern>\r\n<Bytes>" + Hex(shape.mark) + "</Bytes>\r\n<Pos>" +
          std::to_string(shape.mark_pos) + "</Pos>\r\n</Pattern>\r\n";
  text += "</FrontBlock>\r\n<GlobalStrings>\r\n";
  for (const std::string& s : shape.strings) {
    text += "<String>" + s + "</String>\r\n";
  }
  return text + "</GlobalStrings>\r\n</Mavo>\r\n";
}

std::string FileData(int f) {
  Rng rng(0xf11e0000u + static_cast<uint64_t>(f));
  std::string data(512 + rng.Range(0, 1536), '\0');
  for (char& c : data) c = static_cast<char>(rng.Range(0, 255));
  if (f % kUnknownEvery == kUnknownEvery - 1) return data;
  const TypeShape shape = Shape(f % kTypes);
  data.replace(0, shape.signature.size(), shape.signature);
  data.replace(shape.mark_pos, shape.mark.size(), shape.mark);
  // One string in each half of the body, so that they never overlap.
  const size_t middle = data.size() / 2;
  const std::string& first = shape.strings[0];
  const std::string& second = shape.strings[1];
  data.replace(rng.Range(100, middle - first.size()), first.size(), first);
  data.replace(rng.Range(middle, data.size() - second.size()), second.size(),
               second);
  return data;
}

std::string FilePath(const std::string& dir, int f) {
  char name[64];
  std::snprintf(name, sizeof name, "/files/%02d/%06d.bin", f / kFilesPerDir, f);
  return dir + name;
}

bool WriteList(const std::string& dir, const std::string& name, int count,
               std::string* err) {
  std::string text;
  for (int f = 0; f < count; ++f) text += FilePath(dir, f) + "\n";
  return WriteBytes(dir + "/" + name, text, err);
}

// Counts the lines of `path` and those that say "unknown", a piece at a
// time: the benchmark stays small, as a child's peak memory counts what it
// shares with its parent until it starts the program.
bool CountLines(const std::string& path, size_t* lines, size_t* unknown,
                std::string* err) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *err = "cannot open " + path;
    return false;
  }
  std::string line;
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    for (size_t i = 0; i < n; ++i) {
      if (buffer[i] != '\n') {
        line.push_back(buffer[i]);
        continue;
      }
      ++*lines;
      if (line.ends_with(": unknown")) ++*unknown;
      line.clear();
    }
  }
  std::fclose(file);
  return true;
}

bool EnsureSet(const std::string& dir, std::string* err) {
  const std::string stamp = dir + "/" + kStamp;
  if (RegularFileSize(stamp) >= 0) return true;
  std::fprintf(stderr, "writing %d definitions and %d files to %s...\n", kTypes,
               kFiles, dir.c_str());
  for (const char* lib : {"/lib-patterns", "/lib-strings", "/lib-10"}) {
    if (!MakeDirectories(dir + lib, err)) return false;
  }
  for (int t = 0; t < kTypes; ++t) {
    char name[32];
    std::snprintf(name, sizeof name, "/t%04d.mavo.xml", t);
    if (!WriteBytes(dir + "/lib-patterns" + name, DefinitionText(t, false),
                    err) ||
        !WriteBytes(dir + "/lib-strings" + name, DefinitionText(t, true),
                    err) ||
        (t < 10 &&
         !WriteBytes(dir + "/lib-10" + name, DefinitionText(t, false), err))) {
      return false;
    }
  }
  for (int f = 0; f < kFiles; ++f) {
    if (f % kFilesPerDir == 0) {
      char sub[32];
      std::snprintf(sub, sizeof sub, "/files/%02d", f / kFilesPerDir);
      if (!MakeDirectories(dir + sub, err)) return false;
    }
    if (!WriteBytes(FilePath(dir, f), FileData(f), err)) return false;
  }
  return WriteList(dir, "list.txt", kFiles, err) &&
         WriteList(dir, "list-10k.txt", kFiles / 10, err) &&
         WriteBytes(stamp, "", err);
}

struct Timed {
  ProgramResult result;
  size_t lines = 0;
  size_t unknown = 0;
};

bool RunIdentify(const std::string& check, const std::string& dir,
                 const std::string& lib, const std::string& list, int threads,
                 Timed* timed, std::string* err) {
  ProgramLaunch launch;
  launch.program = check;
  launch.arguments = {
      "identify",       "--defs",    dir + "/" + lib,        "--files-from",
      dir + "/" + list, "--threads", std::to_string(threads)};
  launch.work_dir = dir;
  launch.console_path = dir + "/.console";
  launch.error_path = dir + "/.errors";
  return RunProgram(launch, &timed->result, err) &&
         CountLines(launch.console_path, &timed->lines, &timed->unknown, err);
}

int Main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp/identifybench";
  const std::string check = argc > 2 ? argv[2] : MAVO_CHECK_PATH;
  std::string err;
  if (!MakeDirectories(dir, &err) || !EnsureSet(dir, &err)) {
    std::fprintf(stderr, "identifybench: %s\n", err.c_str());
    return 2;
  }
  bool ok = true;
  const struct {
    const char* label;
    const char* lib;
    const char* list;
    int files;
    int threads;
  } runs[] = {
      {"1000 defs, patterns", "lib-patterns", "list-10k.txt", kFiles / 10, 1},
      {"1000 defs, patterns", "lib-patterns", "list.txt", kFiles, 1},
      {"1000 defs, patterns", "lib-patterns", "list.txt", kFiles, 2},
      {"1000 defs, strings ", "lib-strings", "list.txt", kFiles, 1},
      {"1000 defs, strings ", "lib-strings", "list.txt", kFiles, 2},
      {"  10 defs, patterns", "lib-10", "list.txt", kFiles, 1},
  };
  // The floor is measured once the runs are done, and the figures written
  // then, so that the paths it needs are not in the benchmark's memory
  // while the runs are measured.
  struct Line {
    std::string label;
    int files;
    int threads;
    Timed timed;
    bool right;
  };
  std::vector<Line> lines;
  for (const auto& run : runs) {
    Timed timed;
    if (!RunIdentify(check, dir, run.lib, run.list, run.threads, &timed,
                     &err)) {
      std::fprintf(stderr, "identifybench: %s\n", err.c_str());
      return 2;
    }
    const bool lib_10 = std::string(run.lib) == "lib-10";
    // Of the files of a type, the 10-definition library knows 1 in 100.
    const size_t expected_unknown =
        lib_10 ? static_cast<size_t>(run.files) -
                     static_cast<size_t>(run.files) * 9 / 10 / 100
               : static_cast<size_t>(run.files / kUnknownEvery);
    const bool right = timed.result.exited && timed.result.exit_code == 0 &&
                       timed.lines == static_cast<size_t>(run.files) &&
                       timed.unknown == expected_unknown;
    ok = ok && right;
    lines.push_back({run.label, run.files, run.threads, timed, right});
  }

  std::vector<std::string> paths;
  for (int f = 0; f < kFiles; ++f) paths.push_back(FilePath(dir, f));
  double floor = 0;
  int64_t bytes = 0;
  if (!MeasureReadFloor(paths, &floor, &bytes, &err)) {
    std::fprintf(stderr, "identifybench: %s\n", err.c_str());
    return 2;
  }
  std::printf("read floor: %d files, %.1f MiB in %.3f s (%.0f files/s)\n",
              kFiles, static_cast<double>(bytes) / 1048576.0, floor,
              kFiles / floor);
  for (const Line& line : lines) {
    const double seconds = line.timed.result.seconds;
    std::printf(
        "%s, %6d files, %d thread%s: %.3f s, %7.0f files/s, %.2fx the read "
        "floor, peak %.1f MiB%s\n",
        line.label.c_str(), line.files, line.threads,
        line.threads == 1 ? " " : "s", seconds, line.files / seconds,
        seconds / (floor * line.files / kFiles),
        static_cast<double>(line.timed.result.peak_kib) / 1024.0,
        line.right ? "" : "  WRONG ANSWERS");
  }
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace mavoscan

int main(int argc, char** argv) { return mavoscan::Main(argc, argv); }
