#include "match/strict_definition.h"

#include "match/file_verifier.h"

namespace mavoscan {

bool ReadStrictDefinition(Platform& platform, const std::string& path,
                          DefinitionContent* content, std::string* err) {
  if (!ReadDefinitionContent(platform, path, content, err)) return false;
  if (!DefinitionUsable(*content, err)) {
    *err = path + " is malformed: " + *err;
    return false;
  }
  return true;
}

}  // namespace mavoscan
