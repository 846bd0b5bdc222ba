#ifndef MAVOSCAN_CHECK_FILE_GROUPS_H_
#define MAVOSCAN_CHECK_FILE_GROUPS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "common/records.h"

namespace mavoscan {

// Groups of files whose front bytes differ.
//
// A set that mixes kinds of a format (two versions with different headers,
// say) gives a definition that keeps only what all kinds share, often a few
// single bytes that many unrelated files hold too. Built from each kind on
// its own, definitions keep far more. GroupFiles looks for such a split.
//
// Candidates: every offset that all files reach splits the files by their
// byte there. A split counts when it has 2 to kMaxGroups parts and every
// part holds at least max(2, 10% of the files). Rare versions add
// candidates of their own: at an offset where at least 3/4 of the files
// hold one byte, each other byte that at least 2 files hold makes a part
// however small (a version that 5 of 200 files have), and files whose byte
// there no other file holds stay with the many. Many offsets give the same
// split (a header field of several bytes, or bytes that follow the
// version), so splits are deduplicated on the files' part numbers
// (numbered in the order of the first file of each part) and each distinct
// split remembers the offsets that give it. How many offsets give a split
// is its support.
//
// Scoring: a part "keeps" the bytes every file of it holds at the same
// offset, within its shortest file, just as the scanner would find them.
// Counting that costs one pass over the files' bytes, so only the
// kScoredSplits splits of most support (earlier offsets first on a tie) are
// scored: a real split of kinds shows at many offsets, a chance split at
// one or two. A split is clearly better when even its worst part keeps at
// least 2 bytes more than the whole set (a two-byte magic number), and
// either twice as many or 2 informative bytes (neither 00 nor FF) more, and
// every part keeps more than chance gives: as many files drawn at random
// keep, on average, the sum over offsets of the odds that they all hold one
// byte there (from how many files hold each byte); a part must beat that by
// a byte and two standard deviations. Without that test, small sets of
// text-like files (few byte values) split into pairs that share dozens of
// bytes by chance. A rare version's split is measured differently, as
// files drawn at random are nearly all of the many and the many nearly the
// whole set: it must show at 2 offsets or more instead. Of the splits clearly
// better, the one whose worst part keeps most informative bytes wins, then most
// bytes, then fewer parts, then more support. When none is clearly better there
// are no groups: a homogeneous set reports none.
//
// Cost: one pass over all files at every offset to find the splits and one
// to count the bytes for the odds (positions x files), plus one per scored
// split, so 2000 files of 2048 bytes take some tens of millions of byte
// comparisons.

// One group: the files, what sets them apart and what its own definition
// would keep.
struct FileGroup {
  // Indexes into the front blocks, ascending.
  std::vector<size_t> files;
  // The bytes every file of this group holds, and no file of the others,
  // at the offsets that split the set this way; consecutive offsets joined.
  PatternList marks;
  // The patterns a definition built from these files would keep.
  PatternList patterns;
};

struct FileGrouping {
  // The patterns a definition built from all the files keeps.
  PatternList whole_set;
  // Largest group first; empty when no split is clearly better.
  std::vector<FileGroup> groups;
};

// Groups `fronts` (each a file's leading bytes, at most kFrontBlockSize of
// them). Any number of files, including none.
FileGrouping GroupFiles(const std::vector<std::string>& fronts);

}  // namespace mavoscan

#endif  // MAVOSCAN_CHECK_FILE_GROUPS_H_
