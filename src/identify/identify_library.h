#ifndef MAVOSCAN_IDENTIFY_IDENTIFY_LIBRARY_H_
#define MAVOSCAN_IDENTIFY_IDENTIFY_LIBRARY_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xmlread/definition_loader.h"

namespace mavoscan {

// One definition of a library, as read.
struct LibraryDefinition {
  // The definition's file name, without its directory ("png.mavo.xml").
  std::string name;
  std::string ext;
  DefinitionContent content;
};

// A library of definitions compiled once for identifying many files.
//
// Finding the definitions whose patterns a file holds costs little more
// for a thousand definitions than for ten, because each definition is
// filed under one byte of its patterns, its anchor: a value at an offset.
// A file is looked up once per offset that anchors some definition (at
// most the front block's 2048, in practice a few dozen), taking the list
// of definitions filed under the file's byte there; only those are
// compared pattern by pattern. A definition's anchor is its rarest
// pattern byte by the chance model of evidence.h (00 is the commonest
// value in files, so it anchors only a definition that has nothing
// better), among equally rare ones the one whose list is shortest so far,
// so that definitions which begin alike (many types share "PK" or "MZ" at
// offset 0) spread over their later bytes. The expected number of
// definitions compared per file is then the sum of their anchors' chances
// rather than the size of the library.
//
// Read-only once built, so any number of threads may use one library.
class IdentifyLibrary {
 public:
  IdentifyLibrary() = default;
  explicit IdentifyLibrary(std::vector<LibraryDefinition> definitions);

  size_t size() const { return definitions_.size(); }
  const LibraryDefinition& definition(size_t index) const {
    return definitions_[index];
  }
  // Every string some definition looks for (upper-cased, NUL for the
  // apostrophe), each once, so that one search over a file's text serves
  // every definition.
  const std::vector<std::string>& strings() const { return strings_; }
  // The indexes into strings() of the strings definition `index` looks
  // for; empty unless it checks strings.
  const std::vector<uint32_t>& string_ids(size_t index) const {
    return compiled_[index].string_ids;
  }
  double pattern_bits(size_t index) const {
    return compiled_[index].pattern_bits;
  }
  size_t pattern_bytes(size_t index) const {
    return compiled_[index].pattern_bytes;
  }
  // How many leading bytes of a file the pattern check reads: up to the
  // end of the furthest pattern.
  size_t front_length() const { return front_length_; }

  // Sets *matches to the indexes, ascending, of the definitions whose
  // patterns all hold in `front`, a file's first bytes (front_length() of
  // them, fewer when the file is shorter).
  void PatternMatches(std::string_view front,
                      std::vector<uint32_t>* matches) const;

 private:
  struct Compiled {
    std::vector<uint32_t> string_ids;
    double pattern_bits = 0;
    size_t pattern_bytes = 0;
    // Where the definition's patterns end; a shorter front cannot hold
    // them.
    size_t end = 0;
  };
  // The definitions anchored at one offset, by byte value: those of value
  // v are ids_[start[v] .. start[v + 1]).
  struct AnchorSlot {
    size_t offset = 0;
    std::vector<uint32_t> start;
  };

  bool PatternsHold(uint32_t index, std::string_view front) const;

  std::vector<LibraryDefinition> definitions_;
  std::vector<Compiled> compiled_;
  std::vector<std::string> strings_;
  std::vector<AnchorSlot> slots_;  // ascending by offset
  std::vector<uint32_t> ids_;
  // Definitions without patterns, which every file holds.
  std::vector<uint32_t> unanchored_;
  size_t front_length_ = 0;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_IDENTIFY_LIBRARY_H_
