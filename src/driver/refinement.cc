#include "driver/refinement.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/console.h"
#include "output/output_rotation.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

bool LoadBase(Platform& platform, const std::string& definition_file,
              StringMode* mode, BaseDefinition* base, Failure* failure) {
  if (!CheckRefinableInPlace(platform, definition_file, failure)) return false;
  // The empty line after the command line stands before these messages.
  if (!platform.FileExists(definition_file)) {
    if (platform.NameTooLong(definition_file)) {
      *failure = {false, NameTooLongError(definition_file), {}};
    } else {
      *failure = {false,
                  "* Error: definition <" + definition_file + "> not found.",
                  LeftDefinitionNotes(platform, definition_file)};
    }
    return false;
  }
  PrintLine(platform, "Refining definition <" + definition_file + ">");
  if (!LoadDefinition(platform, definition_file, *mode, base)) {
    *failure = {false, "* Error: unable to load definition!", {}};
    return false;
  }
  if (*mode == StringMode::kInherit && !base->check_strings) {
    *mode = StringMode::kNone;
  }
  return true;
}

void LimitScan(const BaseDefinition& base, PositionLimit* positions,
               SampleCollection* collection) {
  *positions = base.positions;
  collection->header_block_size = static_cast<int>(positions->size());
  collection->front_blocks[0] = base.base_block;
}

int32_t RefinedFileCount(int32_t base_count, int64_t sample_count) {
  return static_cast<int32_t>(std::clamp<int64_t>(
      int64_t{base_count} + sample_count, std::numeric_limits<int32_t>::min(),
      std::numeric_limits<int32_t>::max()));
}

void ApplyRefinement(const BaseDefinition& base, int sample_count,
                     DefinitionInfo* info) {
  // The credit names whoever refines (the settings file's user), not the
  // base definition's author.
  std::string refine = base.refine;
  if (!refine.empty()) refine += " - ";
  refine += std::to_string(sample_count) + " by " + info->user;
  info->refine = std::move(refine);
  info->file_type = base.file_type;
  info->user = base.user;
  info->email = base.email;
  info->home = base.home;
  info->rem = base.rem;
  info->ref_url = base.ref_url;
}

}  // namespace mavoscan
