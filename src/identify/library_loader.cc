#include "identify/library_loader.h"

#include <set>
#include <utility>

#include "match/strict_definition.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {
namespace {

constexpr std::string_view kExtPath = "\\Mavo\\Info\\Ext";

// The definition's Ext, which the matching content leaves out: the first
// one given, empty when there is none.
std::string ReadExt(Platform& platform, const std::string& path) {
  std::string text;
  std::string ext;
  bool seen = false;
  if (!ReadXmlText(platform, path, &text)) return ext;
  ScanXmlEntries(std::move(text),
                 [&](std::string_view entry, std::string_view value) {
                   if (!seen && entry == kExtPath) {
                     ext = value;
                     seen = true;
                   }
                 });
  return ext;
}

bool LoadOne(Platform& platform, const std::string& path,
             std::vector<LibraryDefinition>* definitions, std::string* err) {
  LibraryDefinition definition;
  if (!ReadStrictDefinition(platform, path, &definition.content, err)) {
    return false;
  }
  definition.name = path.substr(platform.DirectoryPart(path).size());
  definition.ext = ReadExt(platform, path);
  definitions->push_back(std::move(definition));
  return true;
}

}  // namespace

bool LoadLibrary(Platform& platform, const std::vector<std::string>& sources,
                 std::vector<LibraryDefinition>* definitions,
                 std::string* err) {
  definitions->clear();
  std::set<std::string> loaded;
  for (const std::string& source : sources) {
    std::vector<std::string> paths;
    // A name that ends like a definition file is one, so that a misspelt
    // one is reported as a file that cannot be read.
    if (platform.FileExists(source) || source.ends_with(".xml")) {
      paths.push_back(source);
    } else {
      // "/" separates a directory on every system the tool runs on.
      const bool ends_in_separator =
          !source.empty() && platform.DirectoryPart(source) == source;
      const std::string directory = ends_in_separator ? source : source + "/";
      for (const std::string& name :
           platform.FindFiles(directory + "*" + kDefinitionSuffix)) {
        paths.push_back(directory + name);
      }
      if (paths.empty()) {
        *err = "no definition file (*" + std::string(kDefinitionSuffix) +
               ") in " + source;
        return false;
      }
    }
    for (const std::string& path : paths) {
      if (!loaded.insert(path).second) continue;
      if (!LoadOne(platform, path, definitions, err)) return false;
    }
  }
  return true;
}

}  // namespace mavoscan
