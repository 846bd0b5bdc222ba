#ifndef MAVOSCAN_IDENTIFY_IDENTIFY_API_H_
#define MAVOSCAN_IDENTIFY_IDENTIFY_API_H_

// Identifying file types by a library of definitions, for a program that
// holds the files' bytes itself (link the mavoidentify library):
//
//   std::unique_ptr<Platform> platform = CreatePlatform(argc, argv);
//   std::vector<LibraryDefinition> definitions;
//   std::string err;
//   if (!LoadLibrary(*platform, {"defs/"}, &definitions, &err)) ...;
//   const IdentifyLibrary library(std::move(definitions));  // once
//
//   // On each worker thread, an Identifier of its own:
//   Identifier identifier(library);
//   for (const auto& file : files) {
//     std::vector<IdentifyMatch> matches =
//         identifier.Identify({file.head, file.tail, file.size});
//     if (matches.empty()) ...;  // unknown
//     const LibraryDefinition& best =
//         library.definition(matches[0].definition);
//     // best.content.file_type, best.ext, matches[0].bits, .weak;
//     // BestCount(matches) > 1 is a tie.
//   }
//
// `head` is the file's first bytes (the whole file up to kWholeReadLimit,
// otherwise its first kWholeReadLimit / 2), `tail` empty or its last
// kWholeReadLimit / 2 bytes; the patterns need only the first 2048 bytes.
// examples/identify_bytes.cc is a whole program.

#include "identify/evidence.h"
#include "identify/identifier.h"
#include "identify/identify_library.h"
#include "identify/library_loader.h"
#include "platform/platform.h"
#include "strings/sample_text.h"

#endif  // MAVOSCAN_IDENTIFY_IDENTIFY_API_H_
