// checkbench: times mavocheck against the floors its targets are set by.
// Verification of 2000 files of about 1 MiB is compared with the time it
// takes just to read them; a cross-check of a 200-file set, and tuning its
// definition against 3000 files that must not match, with one mavoscan run
// on the same 200 files. Peak memory of every run is reported.

#include <cstdio>
#include <string>
#include <vector>

#include "bench_files.h"
#include "program_run.h"
#include "sample_generator.h"

#ifndef MAVO_TOOL_PATH
#define MAVO_TOOL_PATH ""
#endif
#ifndef MAVO_CHECK_PATH
#define MAVO_CHECK_PATH ""
#endif

namespace mavoscan {
namespace {

constexpr int kVerifyFiles = 2000;
constexpr size_t kVerifySize = size_t{1} << 20;
constexpr int kTrainFiles = 50;
constexpr double kVerifyTarget = 3;
constexpr double kCrossCheckTarget = 10;
constexpr double kTuneTarget = 20;
constexpr int kNotFiles = 3000;
constexpr int64_t kPeakTargetKib = 1024 * 1024;
constexpr int kCrossCheckSet = 2;  // 200 mixed binaries of 20 KiB to 4 MiB
constexpr const char* kStamp = ".checkbench-v1";

std::string VerifyName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "v_%04d.bin", index);
  return name;
}

// A file of the verify set: a header of its own, random bytes, and a few
// texts every file holds (so the definition has strings to look for).
std::string VerifySample(int index) {
  Rng rng(0x5eed0000u + static_cast<uint64_t>(index));
  std::string data(kVerifySize + rng.Range(0, 4096), '\0');
  for (size_t i = 0; i + 8 <= data.size(); i += 8) {
    const uint64_t value = rng.Next();
    for (int b = 0; b < 8; ++b) {
      data[i + static_cast<size_t>(b)] = static_cast<char>(value >> (8 * b));
    }
  }
  data.replace(0, 8, "CHKBENCH");
  static const char* const kTexts[] = {"Common header text of the bench",
                                       "a second shared phrase", "TAILMARK"};
  for (const char* text : kTexts) {
    const std::string t(text);
    data.replace(rng.Range(4096, data.size() - t.size() - 1), t.size(), t);
  }
  return data;
}

bool EnsureVerifySet(const std::string& dir, std::string* err) {
  const std::string stamp = dir + "/" + kStamp;
  if (RegularFileSize(stamp) >= 0) return true;
  if (!MakeDirectories(dir, err) || !DeleteFiles(dir, "v_*.bin", err)) {
    return false;
  }
  std::fprintf(stderr, "writing %d files of about 1 MiB to %s...\n",
               kVerifyFiles, dir.c_str());
  for (int i = 0; i < kVerifyFiles; ++i) {
    if (!WriteBytes(dir + "/" + VerifyName(i), VerifySample(i), err)) {
      return false;
    }
  }
  return WriteBytes(stamp, "", err);
}

std::string NotName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "n_%04d.bin", index);
  return name;
}

// A file of some other type: 4 to 64 KiB of random bytes under a header of
// its own kind (one of 40). Every 20th begins with the first 16 bytes of a
// sample of the tuned set, so that tuning has to look past the front.
std::string NotSample(int index, const std::string& lookalike) {
  Rng rng(0x0ddf11e5u + static_cast<uint64_t>(index));
  std::string data(rng.Range(4096, 65536), '\0');
  for (char& byte : data) byte = static_cast<char>(rng.Next());
  char header[16];
  std::snprintf(header, sizeof header, "KIND%02d", index % 40);
  data.replace(0, 6, header);
  if (index % 20 == 0) data.replace(0, lookalike.size(), lookalike);
  return data;
}

bool EnsureNotSet(const std::string& dir, const std::string& lookalike,
                  std::string* err) {
  const std::string stamp = dir + "/" + kStamp;
  if (RegularFileSize(stamp) >= 0) return true;
  if (!MakeDirectories(dir, err) || !DeleteFiles(dir, "n_*.bin", err)) {
    return false;
  }
  std::fprintf(stderr, "writing %d files that must not match to %s...\n",
               kNotFiles, dir.c_str());
  for (int i = 0; i < kNotFiles; ++i) {
    if (!WriteBytes(dir + "/" + NotName(i), NotSample(i, lookalike), err)) {
      return false;
    }
  }
  return WriteBytes(stamp, "", err);
}

bool Run(const std::string& program, const std::vector<std::string>& args,
         const std::string& work_dir, ProgramResult* result, std::string* out,
         std::string* err) {
  ProgramLaunch launch;
  launch.program = program;
  launch.arguments = args;
  launch.work_dir = work_dir;
  launch.console_path = work_dir + "/.console";
  launch.error_path = work_dir + "/.errors";
  if (!RunProgram(launch, result, err)) return false;
  return ReadBytes(launch.console_path, out, err);
}

double Mib(int64_t kib) { return static_cast<double>(kib) / 1024.0; }

int Main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "/tmp/checkbench";
  const std::string tool = argc > 2 ? argv[2] : MAVO_TOOL_PATH;
  const std::string check = argc > 3 ? argv[3] : MAVO_CHECK_PATH;
  std::string err;
  bool generated = false;
  const std::string verify_dir = dir + "/verify";
  const std::string cross_dir = dir + "/cross";
  const std::string work = dir + "/work";
  const std::string cross_work = dir + "/cross-work";
  if (!EnsureVerifySet(verify_dir, &err) || !MakeDirectories(work, &err) ||
      !MakeDirectories(cross_work, &err) || !MakeDirectories(cross_dir, &err) ||
      !EnsureSet(kCrossCheckSet, cross_dir, &generated, &err)) {
    std::fprintf(stderr, "checkbench: %s\n", err.c_str());
    return 2;
  }
  bool ok = true;

  // Verify: the definition comes from the first files, then every file is
  // checked against it.
  std::vector<std::string> paths;
  for (int i = 0; i < kVerifyFiles; ++i) {
    paths.push_back(verify_dir + "/" + VerifyName(i));
  }
  for (int i = 0; i < kTrainFiles; ++i) {
    if (!CopyFile(paths[static_cast<size_t>(i)], work + "/" + VerifyName(i),
                  &err)) {
      std::fprintf(stderr, "checkbench: %s\n", err.c_str());
      return 2;
    }
  }
  ProgramResult scan, verify, cross, cross_scan;
  std::string out;
  double floor = 0;
  int64_t bytes = 0;
  if (!Run(tool, {"v_*.bin"}, work, &scan, &out, &err) ||
      !MeasureReadFloor(paths, &floor, &bytes, &err) ||
      !Run(check, {"newtype.mavo.xml", verify_dir + "/v_*.bin"}, work, &verify,
           &out, &err)) {
    std::fprintf(stderr, "checkbench: %s\n", err.c_str());
    return 2;
  }
  const double verify_ratio = verify.seconds / floor;
  const bool verify_ok = verify.exited && verify.exit_code == 0 &&
                         verify_ratio <= kVerifyTarget &&
                         verify.peak_kib <= kPeakTargetKib;
  ok = ok && verify_ok;
  std::printf(
      "verify:      %d files, %.0f MiB: read floor %.3f s, mavocheck %.3f s "
      "(%.2fx, target %.0fx), peak %.1f MiB, exit %d: %s\n",
      kVerifyFiles, static_cast<double>(bytes) / 1048576.0, floor,
      verify.seconds, verify_ratio, kVerifyTarget, Mib(verify.peak_kib),
      verify.exit_code, verify_ok ? "ok" : "MISSED");

  // Cross-check: against one scanner run on the same files.
  const std::string mask = cross_dir + "/" + SampleMask(kCrossCheckSet);
  if (!Run(tool, {mask}, cross_work, &cross_scan, &out, &err) ||
      !Run(check, {"--cross-check", mask}, cross_work, &cross, &out, &err)) {
    std::fprintf(stderr, "checkbench: %s\n", err.c_str());
    return 2;
  }
  const double cross_ratio = cross.seconds / cross_scan.seconds;
  const bool cross_ok = cross.exited && cross.exit_code <= 1 &&
                        cross_ratio <= kCrossCheckTarget &&
                        cross.peak_kib <= kPeakTargetKib;
  ok = ok && cross_ok;
  std::printf(
      "cross-check: %d files: mavoscan %.3f s (peak %.1f MiB), mavocheck "
      "--cross-check %.3f s (%.2fx, target %.0fx), peak %.1f MiB, exit %d: "
      "%s\n",
      SampleCount(kCrossCheckSet), cross_scan.seconds, Mib(cross_scan.peak_kib),
      cross.seconds, cross_ratio, kCrossCheckTarget, Mib(cross.peak_kib),
      cross.exit_code, cross_ok ? "ok" : "MISSED");

  // Tune: the definition the scanner just wrote, on the same files, against
  // files that must not match.
  const std::string not_dir = dir + "/not";
  ProgramResult tune;
  const std::string lookalike = MakeSample(kCrossCheckSet, 0).substr(0, 16);
  if (!EnsureNotSet(not_dir, lookalike, &err) ||
      !Run(check,
           {"tune", "newtype.mavo.xml", mask, "--not", not_dir + "/n_*.bin",
            "--out", "tuned.mavo.xml"},
           cross_work, &tune, &out, &err)) {
    std::fprintf(stderr, "checkbench: %s\n", err.c_str());
    return 2;
  }
  const double tune_ratio = tune.seconds / cross_scan.seconds;
  const bool tune_ok = tune.exited && tune.exit_code <= 1 &&
                       tune_ratio <= kTuneTarget &&
                       tune.peak_kib <= kPeakTargetKib;
  ok = ok && tune_ok;
  std::printf(
      "tune:        %d files, %d --not files: mavocheck tune %.3f s (%.2fx "
      "mavoscan, target %.0fx), peak %.1f MiB, exit %d: %s\n",
      SampleCount(kCrossCheckSet), kNotFiles, tune.seconds, tune_ratio,
      kTuneTarget, Mib(tune.peak_kib), tune.exit_code,
      tune_ok ? "ok" : "MISSED");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace mavoscan

int main(int argc, char** argv) { return mavoscan::Main(argc, argv); }
