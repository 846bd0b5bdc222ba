#include "frontblock/sample_collection.h"

namespace mavoscan {

// TODO(frontblock): placeholder until the collection lands.
bool CollectSamples(Platform&, const std::string&, const std::string&, int64_t,
                    SampleCollection*, std::string* err) {
  *err = "not built yet\r\n";
  return false;
}

}  // namespace mavoscan
