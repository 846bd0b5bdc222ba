#ifndef MAVOSCAN_IDENTIFY_IDENTIFY_COMMAND_H_
#define MAVOSCAN_IDENTIFY_IDENTIFY_COMMAND_H_

#include "common/command_table.h"

namespace mavoscan {

// "mavocheck identify": which type each file is, by a library of
// definitions. The report is written line by line as files are done (a run
// over a million files shows its first answers at once and holds only a
// few in memory), so the run writes it itself through the platform's
// report door and hands back only the exit code and the notes: 0 when
// every file was read, 1 when some could not be, 2 on a usage or
// definition error or a report that cannot be written.
Subcommand IdentifyCommand();

}  // namespace mavoscan

#endif  // MAVOSCAN_IDENTIFY_IDENTIFY_COMMAND_H_
