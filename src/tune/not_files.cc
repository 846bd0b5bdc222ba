#include "tune/not_files.h"

#include "match/file_verifier.h"

namespace mavoscan {

void NotFiles::AddStrings(const std::vector<std::string>& strings) {
  for (const std::string& text : strings) StringNumber(text);
}

size_t NotFiles::StringNumber(const std::string& text) {
  auto [entry, added] = numbers_.try_emplace(text, strings_.size());
  if (added) strings_.push_back(text);
  return entry->second;
}

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

bool NotFiles::Search(const std::vector<size_t>& files, std::string* err) {
  // Each file is searched for the strings registered since its last
  // search; files searched for all of them are not read.
  std::map<size_t, std::vector<size_t>> by_start;
  for (size_t f : files) {
    if (texts_[f].size() < strings_.size()) {
      by_start[texts_[f].size()].push_back(f);
    }
  }
  for (const auto& [start, group] : by_start) {
    DefinitionContent searched;
    searched.check_strings = true;
    searched.strings.assign(strings_.begin() + static_cast<ptrdiff_t>(start),
                            strings_.end());
    std::vector<std::string> paths;
    for (size_t f : group) paths.push_back(files_[f].path);
    std::vector<FileVerdict> verdicts;
    if (!VerifyFiles(platform_, searched, VerifyDepth::kMatch, paths, &verdicts,
                     err, [](size_t) {})) {
      return false;
    }
    for (size_t i = 0; i < group.size(); ++i) {
      std::vector<bool>& held = texts_[group[i]];
      held.resize(strings_.size(), true);
      for (size_t s : verdicts[i].missing_strings) held[start + s] = false;
    }
  }
  return true;
}

bool NotFiles::StringRejections(const std::vector<std::string>& strings,
                                const std::vector<size_t>& files,
                                std::vector<FileBits>* rejections,
                                std::string* err) {
  rejections->assign(strings.size(), FileBits(files_.size()));
  if (strings.empty() || files.empty()) return true;
  std::vector<size_t> numbers;
  for (const std::string& text : strings) numbers.push_back(StringNumber(text));
  if (!Search(files, err)) return false;
  for (size_t f : files) {
    for (size_t s = 0; s < numbers.size(); ++s) {
      if (!texts_[f][numbers[s]]) (*rejections)[s].Set(f);
    }
  }
  return true;
}

bool NotFiles::CountMatches(const DefinitionContent& definition, size_t* count,
                            std::string* err) {
  std::vector<size_t> held;
  for (size_t f = 0; f < files_.size(); ++f) {
    if (!FrontBreaksPattern(definition, files_[f].front)) held.push_back(f);
  }
  *count = 0;
  if (!definition.check_strings || definition.strings.empty()) {
    *count = held.size();
    return true;
  }
  std::vector<FileBits> rejections;
  if (!StringRejections(definition.strings, held, &rejections, err)) {
    return false;
  }
  for (size_t f : held) {
    bool rejected = false;
    for (const FileBits& bits : rejections) rejected = rejected || bits.Test(f);
    *count += !rejected;
  }
  return true;
}

}  // namespace mavoscan
