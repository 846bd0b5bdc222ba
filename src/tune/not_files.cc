#include "tune/not_files.h"

#include "match/file_verifier.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

const FileBits& NotFiles::ByteRejections(size_t offset, char value) {
  const uint32_t key =
      static_cast<uint32_t>(offset) * 256 + static_cast<unsigned char>(value);
  auto [entry, added] = bytes_.try_emplace(key, files_.size());
  if (added) {
    for (size_t f = 0; f < files_.size(); ++f) {
      const std::string& front = files_[f].front;
      if (offset >= front.size() || front[offset] != value) {
        entry->second.Set(f);
      }
    }
  }
  return entry->second;
}

bool NotFiles::StringRejections(const std::vector<std::string>& strings,
                                const std::vector<size_t>& files,
                                std::vector<FileBits>* rejections,
                                std::string* err) {
  rejections->assign(strings.size(), FileBits(files_.size()));
  if (strings.empty() || files.empty()) return true;
  DefinitionContent searched;
  searched.check_strings = true;
  searched.strings = strings;
  std::vector<std::string> paths;
  for (size_t f : files) paths.push_back(files_[f].path);
  std::vector<FileVerdict> verdicts;
  if (!VerifyFiles(platform_, searched, VerifyDepth::kMatch, paths, &verdicts,
                   err, [](size_t) {})) {
    return false;
  }
  for (size_t i = 0; i < files.size(); ++i) {
    for (size_t s : verdicts[i].missing_strings) (*rejections)[s].Set(files[i]);
  }
  return true;
}

}  // namespace mavoscan
