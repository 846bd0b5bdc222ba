#ifndef MAVOSCAN_TESTS_EXPORT_CONSUMERS_H_
#define MAVOSCAN_TESTS_EXPORT_CONSUMERS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "export/export_definition.h"
#include "xmlread/definition_loader.h"

namespace mavoscan::export_test {

// A fresh directory under $TMPDIR or /tmp, removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes `rel` (directories made as needed) and returns its full path.
  std::string Write(const std::string& rel, const std::string& data) const;
  // Writes a file of `size` bytes, zero (holes) except for `pieces` at
  // their offsets, and returns its full path.
  std::string WriteSparse(
      const std::string& rel, int64_t size,
      const std::vector<std::pair<int64_t, std::string>>& pieces) const;

 private:
  std::string path_;
};

// Runs `command` through the shell; returns its exit status and sets *out
// to its standard output and standard error.
int RunShell(const std::string& command, std::string* out);
bool HaveCommand(const std::string& name);

// What a consumer said about each file, in the order of the paths.
struct ConsumerRun {
  // Set when the consumer is not installed here.
  std::optional<std::string> skipped;
  // Set when it refused the export or complained (warnings included).
  std::string error;
  std::vector<bool> matches;
};

// Each consumer reads `exported` (a file of its format) and judges `paths`:
// a file matches when the consumer reports `label` for it (the export's
// ExportResult::label).
ConsumerRun RunLibmagic(const std::string& exported, const std::string& label,
                        const std::vector<std::string>& paths);
ConsumerRun RunYara(const std::string& exported, const std::string& label,
                    const std::vector<std::string>& paths);
ConsumerRun RunMimeDatabase(const std::string& exported,
                            const std::string& label,
                            const std::vector<std::string>& paths);
ConsumerRun RunDroidMatcher(const std::string& exported,
                            const std::vector<std::string>& paths);

// The consumer of `format`: the one above for it.
ConsumerRun RunConsumer(ExportFormat format, const std::string& exported,
                        const std::string& label,
                        const std::vector<std::string>& paths);

// Whether the losses an export reported allow its consumer to differ from
// the definition on a file of `size` bytes, when the consumer says
// `consumer_matches`. A read window, exact case and unfolded letters make a
// consumer miss files, never take more; only strings left out (or cut
// short) can make it take a file the definition does not.
bool LossExplains(const std::vector<ExportLoss>& losses, int64_t size,
                  bool consumer_matches);

// mavocheck's verdict on each file.
std::vector<bool> VerifyVerdicts(const DefinitionContent& definition,
                                 const std::vector<std::string>& paths);

}  // namespace mavoscan::export_test

#endif  // MAVOSCAN_TESTS_EXPORT_CONSUMERS_H_
