// identify_bytes: the identification library in a program of its own,
// which reads files itself (as an engine that already holds their bytes
// would) and hands their head, tail and size to Identify.
//
//   identify_bytes DEFS_DIR FILE...
//
// prints "FILE: TYPE (DEFINITION, N bits)" or "FILE: unknown" per file.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "identify/identify_api.h"

namespace {

// The bytes Identify wants: the whole file up to kWholeReadLimit, else its
// first and last halves of it.
bool ReadHeadAndTail(const char* path, std::string* head, std::string* tail,
                     int64_t* size) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  *size = static_cast<int64_t>(in.tellg());
  const int64_t half = mavoscan::kWholeReadLimit / 2;
  const bool whole = *size <= mavoscan::kWholeReadLimit;
  head->assign(static_cast<size_t>(whole ? *size : half), '\0');
  in.seekg(0);
  in.read(head->data(), static_cast<std::streamsize>(head->size()));
  tail->clear();
  if (!whole) {
    tail->assign(static_cast<size_t>(half), '\0');
    in.seekg(*size - half);
    in.read(tail->data(), static_cast<std::streamsize>(tail->size()));
  }
  return static_cast<bool>(in);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mavoscan;
  if (argc < 3) {
    std::fprintf(stderr, "usage: identify_bytes DEFS_DIR FILE...\n");
    return 2;
  }
  std::unique_ptr<Platform> platform = CreatePlatform(argc, argv);
  std::vector<LibraryDefinition> definitions;
  std::string err;
  if (!LoadLibrary(*platform, {argv[1]}, &definitions, &err)) {
    std::fprintf(stderr, "identify_bytes: %s\n", err.c_str());
    return 2;
  }
  const IdentifyLibrary library(std::move(definitions));
  Identifier identifier(library);
  int status = 0;
  std::string head, tail;
  for (int i = 2; i < argc; ++i) {
    int64_t size = 0;
    if (!ReadHeadAndTail(argv[i], &head, &tail, &size)) {
      std::fprintf(stderr, "identify_bytes: cannot read %s\n", argv[i]);
      status = 1;
      continue;
    }
    const std::vector<IdentifyMatch> matches =
        identifier.Identify({head, tail, size});
    if (matches.empty()) {
      std::printf("%s: unknown\n", argv[i]);
      continue;
    }
    const LibraryDefinition& best = library.definition(matches[0].definition);
    std::printf("%s: %s (%s, %.1f bits%s)\n", argv[i],
                best.content.file_type.c_str(), best.name.c_str(),
                matches[0].bits, BestCount(matches) > 1 ? ", tie" : "");
  }
  return status;
}
