#include "tune/split.h"

#include "check/file_groups.h"
#include "frontblock/sample_collection.h"

namespace mavoscan {

bool SplitSamples(Platform& platform, const std::vector<CrossSample>& samples,
                  SplitResult* result, std::string* err) {
  *result = SplitResult();
  result->sample_count = samples.size();
  if (samples.size() < 2) {
    *err = "a split needs at least 2 samples; found " +
           std::to_string(samples.size());
    return false;
  }
  std::vector<std::string> fronts;
  for (const CrossSample& sample : samples) fronts.push_back(sample.front);
  FileGrouping grouping = GroupFiles(fronts);
  result->grouped = !grouping.groups.empty();
  if (!result->grouped) {
    FileGroup whole;
    for (size_t f = 0; f < samples.size(); ++f) whole.files.push_back(f);
    grouping.groups.push_back(std::move(whole));
  }

  DefinitionBuilder builder(platform, StringMode::kRescan);
  for (FileGroup& group : grouping.groups) {
    SplitGroup split;
    split.files = std::move(group.files);
    split.marks = std::move(group.marks);
    std::vector<const CrossSample*> training;
    for (size_t i = 0; i < split.files.size(); ++i) {
      const CrossSample& sample = samples[split.files[i]];
      // The scanner takes the first kMaxSamples files it meets.
      if (i < static_cast<size_t>(kMaxSamples)) training.push_back(&sample);
      const std::string name =
          sample.path.substr(platform.DirectoryPart(sample.path).size());
      const std::string ext = ExtensionOf(name);
      if (i == 0) {
        split.ext = ext;
      } else if (ext != split.ext) {
        split.ext.clear();
      }
    }
    BuiltDefinition built;
    if (!builder.Build(training, &built, err)) return false;
    if (!built.built) {
      *err =
          "the samples share no byte at a fixed offset, so no definition "
          "can be built from them";
      return false;
    }
    split.definition = std::move(built.content);
    result->groups.push_back(std::move(split));
  }
  return true;
}

}  // namespace mavoscan
