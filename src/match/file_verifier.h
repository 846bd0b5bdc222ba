#ifndef MAVOSCAN_MATCH_FILE_VERIFIER_H_
#define MAVOSCAN_MATCH_FILE_VERIFIER_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "match/string_search.h"
#include "platform/platform.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// A pattern whose bytes a file does not hold at the pattern's offset.
struct PatternMiss {
  // Index into DefinitionContent::patterns.
  size_t pattern = 0;
  // The bytes the file holds there: as many as the pattern has, fewer when
  // the file ends first.
  std::string found;
  bool file_too_short = false;
};

// How one file fared against a definition.
struct FileVerdict {
  std::string path;
  std::vector<PatternMiss> failed_patterns;
  // Indexes into DefinitionContent::strings of the global strings the file
  // lacks; always empty when the definition does not check strings.
  std::vector<size_t> missing_strings;
  // With VerifyDepth::kExplain: the strings a file lacks when the
  // definition does not check them, and the file's leading bytes (up to
  // kFrontBlockSize).
  std::vector<size_t> unchecked_missing_strings;
  std::string front;

  bool Matches() const {
    return failed_patterns.empty() && missing_strings.empty();
  }
};

// Tests files against one definition, the way a file is identified: every
// pattern's bytes lie at its Pos, and, when CheckStrings is True, every
// global string occurs in the file's text as the scanner reads a sample
// (upper-cased; head and tail of a file over kWholeReadLimit).
// Returns false with *err set when `definition` holds something no file can
// be tested against (a pattern at a negative offset).
bool DefinitionUsable(const DefinitionContent& definition, std::string* err);

enum class VerifyDepth {
  kMatch,    // what identification needs
  kExplain,  // also every string and the whole front block
};

class FileVerifier {
 public:
  // `definition` must outlive the verifier.
  explicit FileVerifier(const DefinitionContent& definition,
                        VerifyDepth depth = VerifyDepth::kMatch);

  // Tests the file `path`. Returns false with *err set when it cannot be
  // opened or read.
  bool Verify(Platform& platform, const std::string& path, FileVerdict* verdict,
              std::string* err);

 private:
  const DefinitionContent& definition_;
  const VerifyDepth depth_;
  // The strings as looked for; empty when strings are not searched.
  std::vector<std::string> searched_;
  std::unique_ptr<StringSearch> search_;
  // The leading bytes a pattern check needs: up to the end of the furthest
  // pattern that lies within the front block.
  size_t front_length_ = 0;
  // Kept from file to file for their memory: the front, the bytes of the
  // text being searched and what was last read of it.
  std::string bytes_;
  std::string window_;
  std::string scratch_;
};

// `text` followed by the system's reason for the last failed call, in
// brackets, when it gives one.
std::string WithReason(Platform& platform, std::string text);

// Verifies `paths` against `definition`, two files at a time (each on a
// verifier of its own), and sets *verdicts to their verdicts in the order
// of `paths`. `done` is called on the calling thread now and then with the
// number of files verified so far. Returns false with *err set as Verify
// does, for the first file in order that cannot be read.
bool VerifyFiles(Platform& platform, const DefinitionContent& definition,
                 VerifyDepth depth, const std::vector<std::string>& paths,
                 std::vector<FileVerdict>* verdicts, std::string* err,
                 const std::function<void(size_t)>& done);

}  // namespace mavoscan

#endif  // MAVOSCAN_MATCH_FILE_VERIFIER_H_
