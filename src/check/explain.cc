#include "check/explain.h"

namespace mavoscan {

ExplainReport Explain(const DefinitionContent& /*definition*/,
                      const std::vector<FileVerdict>& /*verdicts*/) {
  return {};
}

std::string ExplainText(const ExplainReport& /*report*/,
                        const TextStyle& /*style*/) {
  return "";
}

std::string ExplainJson(const ExplainReport& /*report*/) { return "{}"; }

}  // namespace mavoscan
