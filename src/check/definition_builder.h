#ifndef MAVOSCAN_CHECK_DEFINITION_BUILDER_H_
#define MAVOSCAN_CHECK_DEFINITION_BUILDER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/records.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// A sample of a cross-check, with its leading bytes read once for the whole
// run: up to kFrontBlockSize, fewer when the file is shorter.
struct CrossSample {
  std::string path;
  int64_t size = 0;
  std::string front;
};

// Collects the samples of every mask in turn (paths are the mask's
// directory part and the names found), each path once. Returns false with
// *err set when a mask matches nothing or a sample cannot be opened or
// read. Prints nothing.
bool CollectCrossSamples(Platform& platform,
                         const std::vector<std::string>& masks,
                         std::vector<CrossSample>* samples, std::string* err);

// A definition built in memory from training samples.
struct BuiltDefinition {
  // False when the samples share no pattern: the scanner then writes no
  // definition at all.
  bool built = false;
  // As the scanner would write it and the loader read it back: patterns in
  // order of offset, CheckStrings, strings with an apostrophe for NUL.
  DefinitionContent content;
};

// True when `front` (a file's leading bytes: kFrontBlockSize of them, or
// the whole file when it is shorter) lacks a pattern's bytes at its offset,
// so that the file cannot match `definition`. Patterns beyond the front
// block are not looked at; a built definition has none.
bool FrontBreaksPattern(const DefinitionContent& definition,
                        std::string_view front);

// Builds new definitions from samples the way the scanner does for
// `mavoscan "mask"`: patterns from the front blocks compared up to the
// shortest one, then (with StringMode::kRescan) the global strings. The
// scanner's console output is swallowed. Keeps its buffers from one build
// to the next.
class DefinitionBuilder {
 public:
  DefinitionBuilder(Platform& platform, StringMode strings)
      : platform_(platform), strings_(strings) {}

  // Builds from `training` (at least 2, in the order the scanner would meet
  // them; at most kMaxSamples). Returns false with *err set when a sample
  // cannot be read for the string analysis.
  bool Build(const std::vector<const CrossSample*>& training,
             BuiltDefinition* out, std::string* err);

 private:
  Platform& platform_;
  const StringMode strings_;
  std::vector<std::string> blocks_;
  SampleSet sample_set_;
  std::vector<std::string> found_;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_DEFINITION_BUILDER_H_
