#ifndef MAVOSCAN_COMMON_FAILURE_H_
#define MAVOSCAN_COMMON_FAILURE_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace mavoscan {

// Why a run ends early, as data: only the driver turns it into console
// text. Every line ends in CR LF there; details are indented to stand
// under the message's text after "* Error: ".
struct Failure {
  // An empty line comes first (or, in the middle of a progress line, the
  // line is ended first).
  bool blank_line_before = true;
  // The message line, such as "* Error: no matching files!".
  std::string text;
  // Lines under it: the rest of a long message, where a file now is, the
  // system's reason.
  std::vector<std::string> details;
};

// "* Error: Unable to open file <path>" with the system's reason for the
// open that just failed.
Failure OpenFailure(Platform& platform, const std::string& path);

// Adds the system's reason for the last failed platform call of this
// thread to the details, when the system gave one.
void AddReason(Platform& platform, Failure* failure);

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_FAILURE_H_
