// mavobench: times the tool's string analysis on generated sample sets (and
// on a directory the user names) against the time it takes just to read the
// samples, and optionally checks that the plain reference build of the tool
// writes the same definition and transcript.

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_files.h"
#include "definition_compare.h"
#include "program_run.h"
#include "sample_generator.h"

#ifndef MAVO_TOOL_PATH
#define MAVO_TOOL_PATH ""
#endif

namespace mavoscan {
namespace {

constexpr int kUserSet = 0;
constexpr int kMaxToolSamples = 2048;  // the tool takes no more than this
constexpr int64_t kPeakTargetKib = 1024 * 1024;
constexpr const char* kDefinitionName = "newtype.mavo.xml";
constexpr const char* kUserStampName = ".mavobench-user-stamp";

struct Options {
  std::vector<int> sets;
  bool sets_given = false;
  std::string dir = "/tmp/mavobench";
  std::string tool = MAVO_TOOL_PATH;
  std::string oracle;
  double oracle_limit = 120;
  int64_t oracle_memory_mib = 4096;
  double tool_limit = 3600;
  std::string user_dir;
  std::string user_mask = "*";
  bool generate_only = false;
};

void PrintUsage() {
  std::fprintf(
      stderr,
      "Usage: mavobench [--sets 1,2,3,4,user] [--dir DIR] [--tool PATH]\n"
      "                 [--oracle PATH] [--oracle-limit SECONDS]\n"
      "                 [--oracle-memory MIB] [--tool-limit SECONDS]\n"
      "                 [--user-dir DIR] [--user-mask MASK] "
      "[--generate-only]\n"
      "  --sets          sets to run (default 1,2,3,4, plus user with "
      "--user-dir)\n"
      "  --dir           where sample sets and runs go (default "
      "/tmp/mavobench)\n"
      "  --tool          the tool to time (default the one built with this)\n"
      "  --oracle        the reference build to compare with (none by "
      "default)\n"
      "  --oracle-limit  seconds after which the reference run is killed "
      "(120)\n"
      "  --oracle-memory address space of the reference run in MiB (4096; "
      "0 = no limit)\n"
      "  --tool-limit    seconds after which the tool is killed (3600)\n"
      "  --user-dir      a directory of samples of your own; its regular\n"
      "                  files matching --user-mask (default *) are copied\n"
      "  --generate-only write the sample sets and stop\n"
      "Exit code: 0 when every target is met and outputs agree, 1 when not, "
      "2 on a setup error.\n");
}

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0' && *value >= 0;
}

bool ParseSets(const std::string& text, std::vector<int>* sets,
               std::string* err) {
  sets->clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(start, comma - start);
    if (item == "user") {
      sets->push_back(kUserSet);
    } else if (item.size() == 1 && item[0] >= '1' &&
               item[0] < '1' + kGeneratedSets) {
      sets->push_back(item[0] - '0');
    } else {
      *err = "unknown set '" + item + "' (use 1 to 4 or user)";
      return false;
    }
    start = comma + 1;
  }
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* err) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (name == "--generate-only") {
      options->generate_only = true;
      continue;
    }
    if (name == "--help" || name == "-h") {
      *err = "";
      return false;
    }
    if (i + 1 >= argc) {
      *err = "missing value after " + name;
      return false;
    }
    std::string value = argv[++i];
    double number = 0;
    if (name == "--sets") {
      if (!ParseSets(value, &options->sets, err)) return false;
      options->sets_given = true;
    } else if (name == "--dir") {
      options->dir = value;
    } else if (name == "--tool") {
      options->tool = value;
    } else if (name == "--oracle") {
      options->oracle = value;
    } else if (name == "--user-dir") {
      options->user_dir = value;
    } else if (name == "--user-mask") {
      options->user_mask = value;
    } else if (name == "--oracle-limit" || name == "--tool-limit" ||
               name == "--oracle-memory") {
      if (!ParseNumber(value, &number)) {
        *err = "not a number of seconds or MiB: " + value;
        return false;
      }
      if (name == "--oracle-limit") options->oracle_limit = number;
      if (name == "--tool-limit") options->tool_limit = number;
      if (name == "--oracle-memory") {
        options->oracle_memory_mib = static_cast<int64_t>(number);
      }
    } else {
      *err = "unknown option " + name;
      return false;
    }
  }
  if (!options->sets_given) {
    for (int set = 1; set <= kGeneratedSets; ++set) {
      options->sets.push_back(set);
    }
    if (!options->user_dir.empty()) options->sets.push_back(kUserSet);
  }
  for (int set : options->sets) {
    if (set == kUserSet && options->user_dir.empty()) {
      *err = "set user needs --user-dir";
      return false;
    }
  }
  return true;
}

// The tool sees its arguments as one command-line text in which a double
// quote can only quote, so a path holding one cannot reach it unchanged.
bool CheckPlainPath(const std::string& path, std::string* err) {
  if (path.find('"') != std::string::npos) {
    *err = "the path must not hold double quotes: " + path;
    return false;
  }
  return true;
}

bool Absolute(const std::string& path, std::string* absolute,
              std::string* err) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) {
    *err = "cannot find " + path;
    return false;
  }
  *absolute = resolved;
  free(resolved);
  return true;
}

const char* SetLabel(int set) {
  static const char* const kLabels[] = {"user", "1", "2", "3", "4"};
  return kLabels[set];
}

double TargetRatio(int set) {
  if (set == 3) return 150;
  if (set == 4) return 60;
  return 10;
}

// Copies the user's samples, so that the tool and the read floor see
// exactly the same regular files (links left out), at most as many as the
// tool takes. A stamp of names, sizes and times avoids copying again.
bool EnsureUserSet(const Options& options, const std::string& target,
                   std::string* err) {
  std::vector<std::string> names;
  if (!ListFiles(options.user_dir, options.user_mask, &names, err)) {
    return false;
  }
  if (names.size() > kMaxToolSamples) names.resize(kMaxToolSamples);
  if (names.empty()) {
    *err = "no regular file in " + options.user_dir + " matches " +
           options.user_mask;
    return false;
  }
  std::string stamp =
      "user " + options.user_dir + "\n" + options.user_mask + "\n";
  for (const std::string& name : names) {
    stamp += name + " " +
             std::to_string(RegularFileSize(options.user_dir + "/" + name)) +
             "\n";
  }
  std::string stamp_path = target + "/" + kUserStampName;
  std::string old_stamp, ignored;
  if (ReadBytes(stamp_path, &old_stamp, &ignored) && old_stamp == stamp) {
    return true;
  }
  std::fprintf(stderr, "copying %zu files of %s...\n", names.size(),
               options.user_dir.c_str());
  if (RegularFileSize(stamp_path) >= 0 && !RemoveFile(stamp_path, err)) {
    return false;
  }
  if (!DeleteFiles(target, "*", err)) return false;
  for (const std::string& name : names) {
    if (!CopyFile(options.user_dir + "/" + name, target + "/" + name, err)) {
      return false;
    }
  }
  return WriteBytes(stamp_path, stamp, err);
}

struct Run {
  bool ran = false;
  ProgramResult result;
  std::string console;
  std::string errors;  // what the program wrote to stderr
  std::string definition;
  bool has_definition = false;
};

// Runs `program` on the set's mask in a fresh scratch directory.
bool RunOnSet(const std::string& program, const std::string& mask,
              const std::string& scratch, double limit, int64_t memory_mib,
              Run* run, std::string* err) {
  if (!MakeDirectories(scratch, err) || !DeleteFiles(scratch, "*", err)) {
    return false;
  }
  ProgramLaunch launch;
  launch.program = program;
  launch.arguments = {mask};
  launch.work_dir = scratch;
  launch.console_path = scratch + ".out";
  launch.error_path = scratch + ".err";
  launch.limit_seconds = limit;
  launch.address_space_mib = memory_mib;
  if (!RunProgram(launch, &run->result, err)) return false;
  run->ran = true;
  if (!ReadBytes(launch.console_path, &run->console, err) ||
      !ReadBytes(launch.error_path, &run->errors, err)) {
    return false;
  }
  std::string definition_path = scratch + "/" + kDefinitionName;
  run->has_definition = RegularFileSize(definition_path) >= 0;
  if (run->has_definition &&
      !ReadBytes(definition_path, &run->definition, err)) {
    return false;
  }
  return true;
}

bool Succeeded(const Run& run) {
  return run.ran && !run.result.timed_out && run.result.exited &&
         run.result.exit_code == 0;
}

std::string Describe(const ProgramResult& result) {
  if (result.timed_out) return "killed at the time limit";
  if (!result.exited)
    return "killed by signal " + std::to_string(result.signal);
  return "exit code " + std::to_string(result.exit_code);
}

// The count the tool prints after the erasure, or "?" when it is missing.
std::string StringsFound(const std::string& console) {
  const std::string label = "String(s) found:";
  size_t at = console.rfind(label);
  if (at == std::string::npos) return "?";
  size_t end = console.find_first_of("\r\n", at);
  std::string count =
      console.substr(at + label.size(), end - at - label.size());
  size_t first = count.find_first_not_of(' ');
  return first == std::string::npos ? "?" : count.substr(first);
}

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

void PrintRow(const std::vector<std::string>& cells) {
  static constexpr int kWidths[] = {4, 5, 7, 7, 8, 6, 6, 6, 7, 4, 7, 12, 6, 7};
  std::string line = "|";
  for (size_t i = 0; i < cells.size(); ++i) {
    std::string cell = cells[i];
    int width = i < std::size(kWidths) ? kWidths[i] : 6;
    if (static_cast<int>(cell.size()) < width) {
      cell.insert(0, static_cast<size_t>(width) - cell.size(), ' ');
    }
    line += " " + cell + " |";
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

struct Verdicts {
  bool all_good = true;
  std::vector<std::string> notes;
};

bool BenchSet(const Options& options, int set, Verdicts* verdicts,
              std::string* err) {
  std::string label = SetLabel(set);
  std::string set_dir =
      options.dir + (set == kUserSet ? "/user" : "/set" + label);
  std::string mask_pattern = set == kUserSet ? "*" : SampleMask(set);
  if (!MakeDirectories(set_dir, err)) return false;
  if (set == kUserSet) {
    if (!EnsureUserSet(options, set_dir, err)) return false;
  } else {
    double start = MonotonicSeconds();
    bool generated = false;
    if (!EnsureSet(set, set_dir, &generated, err)) return false;
    if (generated) {
      std::fprintf(stderr, "generated set %d in %.1f s\n", set,
                   MonotonicSeconds() - start);
    }
  }
  if (options.generate_only) return true;

  std::vector<std::string> names;
  if (!ListFiles(set_dir, mask_pattern, &names, err)) return false;
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(set_dir + "/" + name);
  double floor_seconds = 0;
  int64_t bytes = 0;
  if (!MeasureReadFloor(paths, &floor_seconds, &bytes, err)) return false;

  std::string mask = set_dir + "/" + mask_pattern;
  std::string runs =
      options.dir + "/runs/" + (set == kUserSet ? "user" : "set" + label);
  Run tool;
  if (!RunOnSet(options.tool, mask, runs + "-tool", options.tool_limit, 0,
                &tool, err)) {
    return false;
  }
  Run oracle;
  if (!options.oracle.empty() &&
      !RunOnSet(options.oracle, mask, runs + "-oracle", options.oracle_limit,
                options.oracle_memory_mib, &oracle, err)) {
    return false;
  }

  bool tool_ok = Succeeded(tool);
  double ratio = floor_seconds > 0 ? tool.result.seconds / floor_seconds : 0;
  bool time_ok = tool_ok && ratio <= TargetRatio(set);
  bool memory_ok = tool.result.peak_kib <= kPeakTargetKib;
  std::string oracle_cell = "-", xml_cell = "-", console_cell = "-";
  if (oracle.ran) {
    if (oracle.result.timed_out) {
      oracle_cell = "> " + Format("%.0f", options.oracle_limit) + " limit";
    } else if (oracle.errors.find("bad_alloc") != std::string::npos) {
      // The plain analysis holds every prefix and suffix candidate as its
      // own string; on long text runs that outgrows any address space.
      oracle_cell = "> " + std::to_string(options.oracle_memory_mib) + " MiB";
    } else if (!Succeeded(oracle)) {
      oracle_cell = "failed";
      verdicts->notes.push_back("set " + label + ": oracle " +
                                Describe(oracle.result) + ", see " + runs +
                                "-oracle.out/.err");
    } else {
      oracle_cell = Format("%.2f", oracle.result.seconds);
      bool same_xml = tool.has_definition && oracle.has_definition &&
                      SameDefinition(tool.definition, oracle.definition);
      bool same_console = tool.console == oracle.console;
      xml_cell = same_xml ? "same" : "DIFFERS";
      console_cell = same_console ? "same" : "DIFFERS";
      if (!same_xml || !same_console) verdicts->all_good = false;
    }
  }
  if (!tool_ok) {
    verdicts->notes.push_back("set " + label + ": tool " +
                              Describe(tool.result) + ", see " + runs +
                              "-tool.out/.err");
  }
  if (!time_ok || !memory_ok) verdicts->all_good = false;

  PrintRow({label, std::to_string(names.size()),
            Format("%.1f", static_cast<double>(bytes) / 1048576.0),
            Format("%.4f", floor_seconds), Format("%.3f", tool.result.seconds),
            Format("%.1f", ratio), Format("%.0fx", TargetRatio(set)),
            tool_ok ? (time_ok ? "ok" : "MISSED") : "FAILED",
            Format("%.1f", static_cast<double>(tool.result.peak_kib) / 1024.0),
            memory_ok ? "ok" : "MISSED", StringsFound(tool.console),
            oracle_cell, xml_cell, console_cell});
  return true;
}

int Main(int argc, char** argv) {
  Options options;
  std::string err;
  if (!ParseOptions(argc, argv, &options, &err)) {
    if (!err.empty()) std::fprintf(stderr, "mavobench: %s\n", err.c_str());
    PrintUsage();
    return 2;
  }
  if (!MakeDirectories(options.dir, &err) ||
      !Absolute(options.dir, &options.dir, &err) ||
      !CheckPlainPath(options.dir, &err)) {
    std::fprintf(stderr, "mavobench: %s\n", err.c_str());
    return 2;
  }
  if (!options.generate_only) {
    if (options.tool.empty()) err = "no tool given (--tool)";
    if (err.empty()) Absolute(options.tool, &options.tool, &err);
    if (err.empty() && !options.oracle.empty()) {
      Absolute(options.oracle, &options.oracle, &err);
    }
    if (!err.empty()) {
      std::fprintf(stderr, "mavobench: %s\n", err.c_str());
      return 2;
    }
    std::printf("tool:   %s\n", options.tool.c_str());
    if (!options.oracle.empty()) {
      std::printf("oracle: %s (limit %.0f s)\n", options.oracle.c_str(),
                  options.oracle_limit);
    }
    std::printf("\n");
    PrintRow({"set", "files", "MiB", "floor s", "tool s", "ratio", "target",
              "time", "peak MiB", "mem", "strings", "oracle s", "xml",
              "console"});
    PrintRow({"---", "---", "---", "---", "---", "---", "---", "---", "---",
              "---", "---", "---", "---", "---"});
  }
  Verdicts verdicts;
  for (int set : options.sets) {
    if (!BenchSet(options, set, &verdicts, &err)) {
      std::fprintf(stderr, "mavobench: set %s: %s\n", SetLabel(set),
                   err.c_str());
      return 2;
    }
  }
  if (!options.generate_only) {
    std::printf(
        "\nTargets: ratio to the read floor at most 150x (set 3), "
        "60x (set 4), 10x (others); peak at most 1024 MiB.\n");
    for (const std::string& note : verdicts.notes) {
      std::printf("note: %s\n", note.c_str());
    }
  }
  return verdicts.all_good ? 0 : 1;
}

}  // namespace
}  // namespace mavoscan

int main(int argc, char** argv) { return mavoscan::Main(argc, argv); }
