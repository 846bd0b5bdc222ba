#include "output/author_settings.h"

namespace mavoscan {

void ApplyAuthorSettings(Platform&, DefinitionInfo*) {}

void ApplyRefinement(const BaseDefinition&, int, DefinitionInfo*) {}

}  // namespace mavoscan
