#include "output/definition_writer.h"

namespace mavoscan {

DefinitionInfo NewDefinitionInfo(const std::string& ext, int32_t file_num) {
  DefinitionInfo info;
  info.ext = ext;
  info.file_num = file_num;
  return info;
}

std::string HexText(std::string_view) { return {}; }
std::string DisplayText(std::string_view) { return {}; }

std::string RenderDefinition(const DefinitionInfo&, bool, bool,
                             const PatternList&,
                             const std::vector<std::string>&,
                             const LocalTime&) {
  return {};
}

bool WriteDefinition(Platform&, const std::string&, const DefinitionInfo&, bool,
                     bool, const PatternList&, const std::vector<std::string>&,
                     std::string*) {
  return true;
}

}  // namespace mavoscan
