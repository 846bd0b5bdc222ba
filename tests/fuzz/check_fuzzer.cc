// The checker's own analyses on arbitrary bytes: the string search must
// agree with a plain find whichever way it chooses, and the broken runs and
// file groups of any set of front blocks must be consistent.
//
// Input: pieces separated by the byte FE. With strings (first byte odd),
// piece 1 is the text and the others the strings; otherwise every piece is
// a file's front block.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/broken_runs.h"
#include "check/file_groups.h"
#include "common/records.h"
#include "common/text.h"
#include "fuzz/fuzz_check.h"
#include "match/string_search.h"

namespace mavoscan {
namespace {

std::vector<std::string> Pieces(std::string_view input) {
  std::vector<std::string> pieces(1);
  for (char c : input) {
    if (static_cast<unsigned char>(c) == 0xFE) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

void CheckSearch(const std::vector<std::string>& pieces) {
  const std::string& text = pieces[0];
  std::vector<std::string> strings;
  for (size_t i = 1; i < pieces.size(); ++i) {
    strings.push_back(UpperCase(pieces[i]));
  }
  StringSearch search(strings);
  search.Search(text);
  const std::string upper = UpperCase(text);
  bool all = true;
  for (size_t i = 0; i < strings.size(); ++i) {
    const bool present = upper.find(strings[i]) != std::string::npos;
    all = all && present;
    Require(search.Found(i) == present, "a string found or missed wrongly");
  }
  Require(search.AllFound() == all, "AllFound disagrees with Found");
}

void CheckFronts(std::vector<std::string> fronts) {
  for (std::string& front : fronts) {
    if (front.size() > kFrontBlockSize) front.resize(kFrontBlockSize);
  }
  for (const BrokenRun& run : FindBrokenRuns(fronts)) {
    Require(!run.breakers.empty() && run.held_by < fronts.size(),
            "a broken run that nobody breaks");
    Require(run.held_by + run.breakers.size() == fronts.size(),
            "holders and breakers are not all the files");
  }
  const FileGrouping grouping = GroupFiles(fronts);
  std::vector<int> seen(fronts.size(), 0);
  for (const FileGroup& group : grouping.groups) {
    for (size_t file : group.files) {
      Require(file < fronts.size(), "a group names a file out of range");
      ++seen[file];
    }
  }
  if (!grouping.groups.empty()) {
    for (int count : seen) Require(count == 1, "groups do not split the set");
  }
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data + 1),
                               size - 1);
  const std::vector<std::string> pieces = mavoscan::Pieces(input);
  if (data[0] & 1) {
    mavoscan::CheckSearch(pieces);
  } else {
    mavoscan::CheckFronts(pieces);
  }
  return 0;
}
