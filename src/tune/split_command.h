#ifndef MAVOSCAN_TUNE_SPLIT_COMMAND_H_
#define MAVOSCAN_TUNE_SPLIT_COMMAND_H_

#include "common/command_table.h"

namespace mavoscan {

// The schema of the JSON report, named in its "format" member.
constexpr char kSplitFormat[] = "mavocheck-split/1";

// "mavocheck split MASK... --out-dir DIR": writes groupN.mavo.xml, the
// definition the scanner builds from each group of the files, and
// groupN.files, its files one per line, into DIR, which must exist and
// must not hold such files yet. Exit 0 when written, 2 on an error.
Subcommand SplitCommand();

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_SPLIT_COMMAND_H_
