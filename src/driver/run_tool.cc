#include "driver/run_tool.h"

#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/console.h"
#include "common/records.h"
#include "common/text.h"
#include "driver/command_line.h"
#include "driver/refinement.h"
#include "frontblock/pattern_scan.h"
#include "frontblock/sample_collection.h"
#include "output/author_settings.h"
#include "output/definition_writer.h"
#include "strings/string_analysis.h"

namespace mavoscan {
namespace {

constexpr int kExitFinished = 0;
constexpr int kExitFailed = 1;

// Written as one constant, with its empty line, when memory has run out.
constexpr std::string_view kOutOfMemory = "\r\n* Error: out of memory\r\n";

// Details stand under the message's text after "* Error: ".
constexpr std::string_view kDetailIndent = "         ";

void PrintFailure(Platform& platform, const Failure& failure) {
  std::string text = failure.blank_line_before ? "\r\n" : "";
  text += failure.text + "\r\n";
  for (const std::string& detail : failure.details) {
    text.append(kDetailIndent).append(detail).append("\r\n");
  }
  platform.Write(text);
}

int Fail(Platform& platform, const Failure& failure) {
  PrintFailure(platform, failure);
  return kExitFailed;
}

int RunPhases(Platform& platform) {
  PrintBanner(platform);

  RunOptions options;
  Failure failure;
  const NameChecks names{[&platform](const std::string& name) {
                           return platform.FileExists(name);
                         },
                         [&platform](const std::string& name) {
                           return platform.NameTooLong(name);
                         }};
  switch (
      ParseCommandLine(platform.CommandLineText(), &options, &failure, names)) {
    case ParseOutcome::kError:
      PrintFailure(platform, failure);
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

  PositionLimit positions = PositionLimit::Everywhere();
  SampleCollection collection;
  BaseDefinition base;
  if (options.refining) {
    if (!LoadBase(platform, options.definition_file, &options.strings, &base,
                  &failure)) {
      return Fail(platform, failure);
    }
    LimitScan(base, &positions, &collection);
  }

  if (!CollectSamples(platform, options.mask_argument, options.sample_path,
                      base.file_num, &collection, &failure)) {
    return Fail(platform, failure);
  }

  PatternList patterns =
      ScanPatterns(platform, collection.front_blocks,
                   collection.header_block_size, positions, options.refining);
  if (patterns.empty()) return kExitFailed;

  std::vector<std::string> strings;
  if (options.strings != StringMode::kNone &&
      !AnalyseStrings(platform, options.strings, base.raw_strings,
                      &collection.samples, &strings, &failure)) {
    return Fail(platform, failure);
  }

  PrintLine(platform, "Writing XML file <" + options.output_file + ">...");
  const int sample_count = static_cast<int>(collection.samples.size());
  DefinitionInfo info =
      NewDefinitionInfo(collection.common_extension,
                        RefinedFileCount(base.file_num, sample_count));
  ApplyAuthorSettings(platform, &info);
  if (options.refining) ApplyRefinement(base, sample_count, &info);
  const std::string text = RenderDefinition(info, options.strings, patterns,
                                            strings, platform.Now());
  if (!WriteDefinition(
          platform,
          {options.output_file, options.refining, options.definition_file},
          text, &failure)) {
    return Fail(platform, failure);
  }
  PrintLine(platform, "Finished!");
  return kExitFinished;
}

}  // namespace

int RunTool(Platform& platform) {
  // Running out of memory is the one failure that arrives as an exception:
  // std::bad_alloc, or std::system_error when a thread cannot be started
  // (that is a thread's memory too; nothing else here raises one). By the
  // time it gets here the phases have given back what they held, shown the
  // cursor again and removed any temporary file; the message itself needs
  // no memory.
  try {
    return RunPhases(platform);
  } catch (const std::bad_alloc&) {
  } catch (const std::system_error&) {
  }
  platform.Write(kOutOfMemory);
  return kExitFailed;
}

}  // namespace mavoscan
