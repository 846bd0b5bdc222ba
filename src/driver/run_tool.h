#ifndef MAVOSCAN_DRIVER_RUN_TOOL_H_
#define MAVOSCAN_DRIVER_RUN_TOOL_H_

#include "platform/platform.h"

namespace mavoscan {

// One whole run: banner, command line, the phases in order, the definition
// file. Returns the process exit code: 0 after "Finished!", 1 otherwise.
int RunTool(Platform& platform);

}  // namespace mavoscan

#endif  // MAVOSCAN_DRIVER_RUN_TOOL_H_
