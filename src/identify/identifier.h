#ifndef MAVOSCAN_IDENTIFY_IDENTIFIER_H_
#define MAVOSCAN_IDENTIFY_IDENTIFIER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "identify/identify_library.h"
#include "match/string_search.h"
#include "platform/platform.h"

namespace mavoscan {

// What a caller that holds a file's bytes gives to identify it: its size
// and its first bytes (`head`) and, for a file over kWholeReadLimit, its
// last bytes (`tail`). The patterns are looked for at the start of `head`;
// the strings in `head`, or in head and tail when a tail is given, as the
// scanner reads a sample: a file up to kWholeReadLimit whole, a larger one
// as its first and last kWholeReadLimit / 2 bytes. Fewer bytes still give
// every pattern match (the patterns lie in the first 2048 bytes), but a
// string beyond them is missed.
struct FileBytes {
  std::string_view head;
  std::string_view tail;
  int64_t size = 0;
};

// Why a definition matched: its patterns and the strings it checks all
// held.
struct MatchBasis {
  size_t patterns = 0;
  size_t pattern_bytes = 0;
  double pattern_bits = 0;
  // The strings looked for; 0 when the definition does not check them.
  size_t strings = 0;
  double string_bits = 0;
};

// One definition that a file matches.
struct IdentifyMatch {
  uint32_t definition = 0;  // index into the library
  double bits = 0;          // ReportedBits of the evidence
  bool weak = false;        // fewer than kWeakBits
  MatchBasis basis;
};

// Identifies files against a library, one at a time. Each thread uses an
// Identifier of its own; the library is shared.
class Identifier {
 public:
  // `library` must outlive the identifier.
  explicit Identifier(const IdentifyLibrary& library);
  ~Identifier();
  Identifier(const Identifier&) = delete;
  Identifier& operator=(const Identifier&) = delete;

  // Every definition the file matches, best first: most bits, and among
  // equal bits by definition name.
  std::vector<IdentifyMatch> Identify(const FileBytes& bytes);

  // Reads the file `path` and identifies it, setting *size once it is
  // open: its first front_length()
  // bytes; the rest of the text the strings are searched in only when a
  // definition whose patterns hold checks strings. Returns false with
  // *reason set ("cannot open: <system's reason>") when the file cannot be
  // opened or read.
  bool IdentifyFile(Platform& platform, const std::string& path, int64_t* size,
                    std::vector<IdentifyMatch>* matches, std::string* reason);

 private:
  bool NeedsText() const;
  std::vector<IdentifyMatch> Confirm(std::string_view text);

  const IdentifyLibrary& library_;
  std::vector<uint32_t> candidates_;
  // The search for every string of the library, made when a file first
  // needs it. One search of a file's text for all of them costs about what
  // a search for one does, and far less memory than a search per
  // definition.
  std::unique_ptr<StringSearch> search_;
  // Kept from file to file for their memory.
  std::string bytes_;
  std::string scratch_;
};

// Identify with an Identifier of its own, for a single file.
std::vector<IdentifyMatch> Identify(const IdentifyLibrary& library,
                                    const FileBytes& bytes);

// How many of `matches` (ranked) the report names by default: the best and
// those tied with it.
size_t BestCount(const std::vector<IdentifyMatch>& matches);

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_IDENTIFIER_H_
