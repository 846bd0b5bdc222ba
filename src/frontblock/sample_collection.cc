#include "frontblock/sample_collection.h"

#include <algorithm>
#include <memory>
#include <set>

#include "common/console.h"
#include "common/text.h"

namespace mavoscan {

std::string ExtensionOf(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string piece = dot == std::string::npos ? name : name.substr(dot + 1);
  size_t begin = piece.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  size_t end = piece.find_last_not_of(' ');
  return UpperCase(std::string_view(piece).substr(begin, end - begin + 1));
}

namespace {

Failure OpenError(Platform& platform, const std::string& path) {
  if (platform.NameTooLong(path)) return {true, NameTooLongError(path), {}};
  return OpenFailure(platform, path);
}

}  // namespace

bool CollectSamples(Platform& platform, const std::string& mask_argument,
                    const std::string& sample_path, int64_t base_file_count,
                    SampleCollection* collection, Failure* failure) {
  PrintLine(platform, "Checking files...");
  if (collection->front_blocks.empty()) collection->front_blocks.emplace_back();
  collection->header_block_size = std::max(collection->header_block_size, 0);

  // A set rather than "|"-joined text: a name may itself hold "|", which
  // would make a different name look taken.
  std::set<std::string> taken;
  int count = 0;
  for (const std::string& name : platform.FindFiles(mask_argument)) {
    if (!taken.insert(name).second) continue;
    std::string path = sample_path + name;

    std::string extension = ExtensionOf(name);
    if (count == 0) {
      collection->common_extension = extension;
    } else if (extension != collection->common_extension) {
      collection->common_extension.clear();
    }

    std::unique_ptr<ReadableFile> file = platform.OpenForReading(path);
    if (file == nullptr) {
      *failure = OpenError(platform, path);
      return false;
    }
    int64_t size = file->Size();
    if (collection->header_block_size > size) {
      collection->header_block_size =
          static_cast<int>(std::max<int64_t>(size, 0));
    }
    std::string block;
    if (!file->ReadAt(0, static_cast<size_t>(collection->header_block_size),
                      &block)) {
      *failure = OpenError(platform, path);
      return false;
    }
    // A file that shrank since its size was taken gives fewer bytes; the
    // compared length must never exceed any stored block.
    if (block.size() < static_cast<size_t>(collection->header_block_size)) {
      collection->header_block_size = static_cast<int>(block.size());
    }

    collection->samples.push_back(SampleEntry{path, size});
    collection->front_blocks.push_back(std::move(block));
    ++count;
    if (count >= kMaxSamples) break;
  }

  if (count == 0) {
    failure->text = platform.NameTooLong(mask_argument)
                        ? NameTooLongError(mask_argument)
                        : "* Error: no matching files!";
    return false;
  }
  if (base_file_count + count == 1) {
    *failure = {true,
                "* Error: You need to scan at least 2 files (the more, the "
                "better!),",
                {"or refine an existing def"}};
    return false;
  }
  PrintLine(platform, "Found" + ConsoleNumber(count) + " matching files");
  PrintLine(platform, "Header Block Size:" +
                          ConsoleNumber(collection->header_block_size));
  return true;
}

}  // namespace mavoscan
