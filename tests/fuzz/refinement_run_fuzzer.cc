// A whole run on the fake platform (a base definition, two to four samples,
// a command line, failing file operations) and the promises that hold
// however it ends: the exit code matches the transcript, the output and
// backup names hold nothing or a whole file, and the definition the run
// replaces survives under its own name or the backup name; no temporary
// file is left behind.
// Input: choices from the last bytes (sample count, faults, terminal, an
// Escape press, one failing platform call, files present before the run),
// then the command line, the
// base definition and the samples, each ended by a backslash and another
// byte ("\\" stands for one backslash).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/run_tool.h"
#include "fakes/fake_platform.h"
#include "fuzz/fuzz_check.h"
#include "output/author_settings.h"
#include "output/definition_writer.h"
#include "output/output_rotation.h"

namespace mavoscan {
namespace {

constexpr char kBaseFile[] = "base.mavo.xml";

// Contents by name; nullopt for a missing file.
using Files = std::map<std::string, std::optional<std::string>>;

Files Snapshot(const FakePlatform& fake, const std::set<std::string>& names) {
  Files files;
  for (const std::string& name : names) {
    files[name] =
        fake.HasFile(name) ? std::optional(fake.FileData(name)) : std::nullopt;
  }
  return files;
}

bool IsCompleteDefinition(const std::string& data) {
  return data.starts_with("<Mavo ver=\"2.00\">\r\n") &&
         data.ends_with("</Mavo>\r\n");
}

bool HeldBefore(const Files& before, const std::string& data) {
  for (const auto& [name, old] : before) {
    if (old == data) return true;
  }
  return false;
}

// `output_file` is the name the run writes; empty when the command line
// does not start a run, which then must change no file.
void CheckInvariants(const FakePlatform& fake, int exit_code,
                     const std::string& output_file, const Files& before,
                     const Files& after, bool deletes_work) {
  // Only a failed delete may leave a temporary file for the next run.
  if (deletes_work) {
    for (const std::string& path : fake.AllFiles()) {
      Require(path.find(kTemporaryPrefix) == std::string::npos,
              "temporary file left behind");
    }
  }
  Require(exit_code == 0 || exit_code == 1, "exit code other than 0 or 1");
  Require((exit_code == 0) == fake.output().ends_with("Finished!\r\n"),
          "exit code does not match the transcript's end");
  for (const auto& [name, data] : after) {
    const bool is_output = name == output_file;
    if (!is_output && name != kBackupFile) {
      Require(data == before.at(name), "a file the run does not own changed");
      continue;
    }
    Require(!data || HeldBefore(before, *data) ||
                (is_output && IsCompleteDefinition(*data)),
            "output or backup name holds a partial or foreign file");
  }
  if (output_file.empty()) return;
  const std::optional<std::string>& replaced = before.at(output_file);
  Require(!replaced || after.at(output_file) == replaced ||
              after.at(kBackupFile) == replaced,
          "the replaced definition is under neither its name nor the backup");
  Require(exit_code != 0 || (after.at(output_file) &&
                             IsCompleteDefinition(*after.at(output_file))),
          "finished without a complete definition");
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mavoscan;
  FuzzedDataProvider input(data, size);
  const int sample_count = input.ConsumeIntegralInRange(2, 4);
  const uint16_t faults = input.ConsumeIntegral<uint16_t>();
  const uint8_t extras = input.ConsumeIntegral<uint8_t>();
  const uint8_t escape_after = input.ConsumeIntegral<uint8_t>();
  const uint8_t call_fault = input.ConsumeIntegral<uint8_t>();

  FakePlatform fake;
  std::set<std::string> names = {kBaseFile, kNewDefinitionFile, kBackupFile,
                                 kSettingsFile};
  const std::string command_line = input.ConsumeRandomLengthString(80);
  fake.SetCommandLine(command_line);
  fake.AddFile(kBaseFile, input.ConsumeRandomLengthString(4096));
  for (int k = 0; k < sample_count; ++k) {
    names.insert("s/" + std::to_string(k) + ".bin");
    fake.AddFile("s/" + std::to_string(k) + ".bin",
                 input.ConsumeRandomLengthString(1024));
  }
  if (extras & 1) fake.AddFile(kNewDefinitionFile, "previous definition\r\n");
  if (extras & 2) fake.AddFile(kBackupFile, "older backup\r\n");
  if (extras & 4) {
    fake.AddFile(kSettingsFile, "<SETTINGS><USER>Ann</USER></SETTINGS>");
  }
  fake.SetTerminal((extras & 8) != 0);
  // 0 means no key; more polls than a small run makes leave it unused.
  if (escape_after != 0) fake.QueueKey(kEscapeKey, escape_after - 1);

  // The output name as the run will see it, before any fault is set.
  RunOptions options;
  Failure failure;
  const NameChecks name_checks{
      [&fake](const std::string& name) { return fake.FileExists(name); },
      [&fake](const std::string& name) { return fake.NameTooLong(name); }};
  std::string output_file;
  if (ParseCommandLine(command_line, &options, &failure, name_checks) ==
      ParseOutcome::kRun) {
    output_file = options.output_file;
    names.insert(output_file);
  }

  // Bits 0-8: writes, deletes and moves of the three definition names fail;
  // 9-11: the base, the settings or one sample (bits 12-13) is unreadable.
  const std::string owned[] = {kBaseFile, kNewDefinitionFile, kBackupFile};
  for (int t = 0; t < 3; ++t) {
    if (faults & (1 << t)) fake.FailWritesTo(owned[t]);
    if (faults & (8 << t)) fake.FailDeleteOf(owned[t]);
    if (faults & (64 << t)) fake.FailMoveOf(owned[t]);
  }
  if (faults & (1 << 9)) fake.MakeUnreadable(kBaseFile);
  if (faults & (1 << 10)) fake.MakeUnreadable(kSettingsFile);
  if (faults & (1 << 11)) {
    fake.MakeUnreadable("s/" + std::to_string((faults >> 12) % sample_count) +
                        ".bin");
  }

  // And one platform call of any kind: the byte picks the kind and which of
  // its calls fails.
  constexpr int kCallKinds = static_cast<int>(FakeCall::kFind) + 1;
  const auto failing_call = static_cast<FakeCall>(call_fault % kCallKinds);
  if (call_fault != 0) fake.FailCall(failing_call, call_fault / kCallKinds + 1);

  const Files before = Snapshot(fake, names);
  const int exit_code = RunTool(fake);
  CheckInvariants(fake, exit_code, output_file, before, Snapshot(fake, names),
                  call_fault == 0 || failing_call != FakeCall::kDelete);
  return 0;
}
