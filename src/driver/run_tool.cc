#include "driver/run_tool.h"

#include <limits>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/records.h"
#include "common/text.h"
#include "driver/command_line.h"
#include "frontblock/pattern_scan.h"
#include "frontblock/sample_collection.h"
#include "output/author_settings.h"
#include "output/definition_writer.h"
#include "output/output_rotation.h"
#include "strings/string_analysis.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {
namespace {

constexpr int kExitFinished = 0;
constexpr int kExitFailed = 1;

// Ends a run whose phase failed: the phase has put the exact text to print
// into `message`.
int Fail(Platform& platform, const std::string& message) {
  platform.Write(message);
  return kExitFailed;
}

// The base definition's count plus this run's, kept within 32 bits so that
// a hand-edited count near the limit cannot wrap to a negative one.
int32_t AddFileCounts(int64_t base, int64_t added) {
  int64_t sum = base + added;
  if (sum > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  if (sum < std::numeric_limits<int32_t>::min()) {
    return std::numeric_limits<int32_t>::min();
  }
  return static_cast<int32_t>(sum);
}

}  // namespace

int RunTool(Platform& platform) {
  PrintBanner(platform);

  RunOptions options;
  std::string err;
  const NameChecks names{[&platform](const std::string& name) {
                           return platform.FileExists(name);
                         },
                         [&platform](const std::string& name) {
                           return platform.NameTooLong(name);
                         }};
  switch (ParseCommandLine(platform.CommandLineText(), &options, &err, names)) {
    case ParseOutcome::kError:
      PrintLine(platform, "");
      PrintLine(platform, err);
      PrintUsage(platform);
      return kExitFailed;
    case ParseOutcome::kHelp:
      PrintUsage(platform);
      return kExitFailed;
    case ParseOutcome::kRun:
      break;
  }
  options.sample_path = platform.DirectoryPart(options.mask_argument);
  PrintLine(platform, "");

  // Without a base definition every front-block position may hold a
  // pattern; any mask byte other than "0" admits its position.
  std::string position_mask(kFrontBlockSize, '\x01');
  SampleCollection collection;
  BaseDefinition base;
  if (options.refining) {
    if (!CheckRefinableInPlace(platform, options.definition_file, &err) ||
        !SetUpRefinement(platform, options.definition_file,
                         options.inherit_strings, &base, &options.scan_strings,
                         &options.write_strings, &err)) {
      return Fail(platform, err);
    }
    position_mask = base.position_mask;
    collection.header_block_size = static_cast<int>(position_mask.size());
    collection.front_blocks[0] = base.base_block;
  }

  if (!CollectSamples(platform, options.mask_argument, options.sample_path,
                      base.file_num, &collection, &err)) {
    return Fail(platform, err);
  }

  PatternList patterns = ScanPatterns(platform, collection.front_blocks,
                                      collection.header_block_size,
                                      position_mask, options.refining);
  if (patterns.empty()) return kExitFailed;

  std::vector<std::string> strings;
  if (options.scan_strings &&
      !AnalyseStrings(platform, options.rescan_strings, base.raw_strings,
                      &collection.samples, &strings, &err)) {
    return Fail(platform, err);
  }

  PrintLine(platform, "Writing XML file <" + options.output_file + ">...");
  const int sample_count = static_cast<int>(collection.samples.size());
  DefinitionInfo info = NewDefinitionInfo(
      collection.common_extension, AddFileCounts(base.file_num, sample_count));
  ApplyAuthorSettings(platform, &info);
  if (options.refining) ApplyRefinement(base, sample_count, &info);
  const std::string text =
      RenderDefinition(info, options.scan_strings, options.write_strings,
                       patterns, strings, platform.Now());
  if (!WriteDefinition(
          platform,
          {options.output_file, options.refining, options.definition_file},
          text, &err)) {
    return Fail(platform, err);
  }
  PrintLine(platform, "Finished!");
  return kExitFinished;
}

}  // namespace mavoscan
