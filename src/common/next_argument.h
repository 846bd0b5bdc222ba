#ifndef MAVOSCAN_COMMON_NEXT_ARGUMENT_H_
#define MAVOSCAN_COMMON_NEXT_ARGUMENT_H_

#include <string>

namespace mavoscan {

// The scanner's rule for its command-line text: removes the next argument
// from the front of *text and returns it; an empty result means there are
// no more. Arguments are separated by spaces and TABs; a quoted argument
// runs to the next double quote and comes back without its quotes.
std::string NextArgument(std::string* text);

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_NEXT_ARGUMENT_H_
