#include "xmlread/definition_loader.h"

namespace mavoscan {

bool LoadDefinition(Platform&, const std::string&, bool, BaseDefinition*, bool*,
                    bool*) {
  return false;
}

bool SetUpRefinement(Platform&, const std::string&, bool, BaseDefinition*,
                     bool*, bool*, std::string* err) {
  *err = "* Error: unable to load definition!\r\n";
  return false;
}

}  // namespace mavoscan
