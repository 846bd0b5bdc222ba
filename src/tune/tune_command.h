#ifndef MAVOSCAN_TUNE_TUNE_COMMAND_H_
#define MAVOSCAN_TUNE_TUNE_COMMAND_H_

#include "common/command_table.h"

namespace mavoscan {

// The name a tuned definition is written under when --out gives none.
constexpr char kTunedDefinitionFile[] = "tuned.mavo.xml";

// "mavocheck tune DEF MASK... [--not MASK]... [--out FILE] [--folds K]
// [--seed N]": writes a tuned definition and reports what it kept and why.
// Exit 0 when it was written and rejects every --not file, 1 when it was
// written but some --not files cannot be separated, 2 on an error (nothing
// written).
Subcommand TuneCommand();

}  // namespace mavoscan

#endif  // MAVOSCAN_TUNE_TUNE_COMMAND_H_
