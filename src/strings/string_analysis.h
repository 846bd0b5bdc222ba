#ifndef MAVOSCAN_STRINGS_STRING_ANALYSIS_H_
#define MAVOSCAN_STRINGS_STRING_ANALYSIS_H_

#include <string>
#include <vector>

#include "common/failure.h"
#include "common/records.h"
#include "platform/platform.h"

namespace mavoscan {

// The global-string analysis of a run. Orders *samples by size, smallest
// first (stable). With StringMode::kRescan the raw strings are cut from the
// smallest sample; with kInherit `inherited` (the base definition's strings,
// upper-cased, apostrophes already NUL) are the raw strings. Candidates are
// made, tested against every sample and reduced to those no longer candidate
// contains; *strings receives them, longest first. Prints the lines of the
// passes. Returns false with *failure set when a sample cannot be found or
// opened, or when Escape is pressed; the cursor is shown again on every way
// out.
bool AnalyseStrings(Platform& platform, StringMode mode,
                    const std::vector<std::string>& inherited,
                    SampleSet* samples, std::vector<std::string>* strings,
                    Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_STRINGS_STRING_ANALYSIS_H_
