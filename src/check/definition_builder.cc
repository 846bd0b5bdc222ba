#include "check/definition_builder.h"

#include <algorithm>
#include <memory>

#include "check/quiet_platform.h"
#include "common/failure.h"
#include "frontblock/pattern_scan.h"
#include "match/file_verifier.h"
#include "match/named_files.h"
#include "output/definition_writer.h"
#include "strings/string_analysis.h"

namespace mavoscan {
namespace {

// The scanner's failure as one line of the checker's: without its "* Error: "
// lead, details in parentheses.
std::string FailureText(const Failure& failure) {
  constexpr std::string_view kLead = "* Error: ";
  std::string text = failure.text;
  if (text.starts_with(kLead)) text.erase(0, kLead.size());
  for (const std::string& detail : failure.details) text += " (" + detail + ")";
  return text;
}

}  // namespace

bool CollectCrossSamples(Platform& platform,
                         const std::vector<std::string>& masks,
                         std::vector<CrossSample>* samples, std::string* err) {
  // A file named by two masks is one sample: were it taken twice, one copy
  // could train the definition that the other is tested against.
  std::vector<std::string> paths;
  if (!ExpandMasks(platform, masks, /*once=*/true, &paths, err)) return false;
  for (std::string& path : paths) {
    std::unique_ptr<ReadableFile> file = platform.OpenForReading(path);
    if (file == nullptr) {
      *err = WithReason(platform, "cannot open " + path);
      return false;
    }
    CrossSample sample;
    sample.size = std::max<int64_t>(file->Size(), 0);
    const size_t length =
        static_cast<size_t>(std::min<int64_t>(sample.size, kFrontBlockSize));
    if (!file->ReadAt(0, length, &sample.front)) {
      *err = WithReason(platform, "cannot read " + path);
      return false;
    }
    sample.path = std::move(path);
    samples->push_back(std::move(sample));
  }
  return true;
}

bool FrontBreaksPattern(const DefinitionContent& definition,
                        std::string_view front) {
  for (const DefinitionPattern& pattern : definition.patterns) {
    if (pattern.pos < 0 ||
        pattern.pos + static_cast<int64_t>(pattern.bytes.size()) >
            kFrontBlockSize) {
      continue;
    }
    const size_t pos = static_cast<size_t>(pattern.pos);
    if (pos > front.size() ||
        front.substr(pos, pattern.bytes.size()) != pattern.bytes) {
      return true;
    }
  }
  return false;
}

bool DefinitionBuilder::Build(const std::vector<const CrossSample*>& training,
                              BuiltDefinition* out, std::string* err) {
  out->built = false;
  out->content = DefinitionContent();
  // Entry 0 is the base definition's block, empty in a new definition. The
  // compared length is the shortest block's, as when the scanner collects
  // the same files (a file shorter than it says shortens it too).
  blocks_.resize(training.size() + 1);
  blocks_[0].clear();
  int header_block_size = kFrontBlockSize;
  for (size_t i = 0; i < training.size(); ++i) {
    blocks_[i + 1].assign(training[i]->front);
    header_block_size = std::min(header_block_size,
                                 static_cast<int>(training[i]->front.size()));
  }
  const PatternList patterns =
      FindPatterns(blocks_, header_block_size, PositionLimit::Everywhere(),
                   /*refining=*/false);
  if (patterns.empty()) return true;

  found_.clear();
  if (strings_ != StringMode::kNone) {
    sample_set_.clear();
    for (const CrossSample* sample : training) {
      sample_set_.push_back(SampleEntry{sample->path, sample->size});
    }
    QuietPlatform quiet(platform_);
    Failure failure;
    if (!AnalyseStrings(quiet, strings_, {}, &sample_set_, &found_, &failure)) {
      *err = "cannot read a sample for the global strings: " +
             FailureText(failure);
      return false;
    }
  }

  out->built = true;
  for (const Pattern& pattern : patterns) {
    out->content.patterns.push_back(
        DefinitionPattern{pattern.bytes, pattern.pos});
  }
  // The writer marks every definition whose strings were analysed as
  // checking them, even when none was found.
  out->content.check_strings = strings_ != StringMode::kNone;
  for (const std::string& text : found_) {
    out->content.strings.push_back(WrittenString(text));
  }
  return true;
}

}  // namespace mavoscan
