#include "match/named_files.h"

#include <unordered_set>

namespace mavoscan {

bool IsMask(Platform& platform, std::string_view argument) {
  if (argument.find_first_of("*?") != std::string_view::npos) return true;
  const std::string name(argument);
  return !name.empty() && platform.DirectoryPart(name) == name;
}

bool ExpandMasks(Platform& platform, const std::vector<std::string>& names,
                 bool once, std::vector<std::string>* paths, std::string* err) {
  std::unordered_set<std::string> taken;
  auto add = [&](std::string path) {
    if (once && !taken.insert(path).second) return;
    paths->push_back(std::move(path));
  };
  for (const std::string& name : names) {
    if (!IsMask(platform, name)) {
      add(name);
      continue;
    }
    const std::vector<std::string> found = platform.FindFiles(name);
    if (found.empty()) {
      *err = "no file matches " + name;
      return false;
    }
    const std::string directory = platform.DirectoryPart(name);
    for (const std::string& bare : found) add(directory + bare);
  }
  return true;
}

}  // namespace mavoscan
