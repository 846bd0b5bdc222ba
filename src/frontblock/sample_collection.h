#ifndef MAVOSCAN_FRONTBLOCK_SAMPLE_COLLECTION_H_
#define MAVOSCAN_FRONTBLOCK_SAMPLE_COLLECTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// What the sample collection leaves for the pattern scan and the writer.
struct SampleCollection {
  SampleSet samples;
  // Entry 0 is the base definition's block when refining (empty otherwise);
  // entry i holds the leading bytes of samples[i - 1].
  std::vector<std::string> front_blocks{std::string()};
  // How many leading bytes the pattern scan compares; comes in as 2048, or
  // as the base definition's covered length when refining.
  int header_block_size = kFrontBlockSize;
  // The upper-cased extension every sample shares; empty when they differ.
  std::string common_extension;
};

// The upper-cased text after a file name's last "." (the whole name
// without a dot), spaces trimmed at both ends: what the samples must share
// to give a definition its Ext.
std::string ExtensionOf(const std::string& name);

// Collects the samples that match `mask_argument` (at most 2048), keeping
// each one's size and leading bytes, and prints "Checking files...", the
// "Found" and "Header Block Size:" lines. `base_file_count` is the base
// definition's file count (0 when not refining). Returns false with
// *failure set when a sample cannot be opened, nothing matches, or a lone
// sample is given without a base definition that counts one.
bool CollectSamples(Platform& platform, const std::string& mask_argument,
                    const std::string& sample_path, int64_t base_file_count,
                    SampleCollection* collection, Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_FRONTBLOCK_SAMPLE_COLLECTION_H_
