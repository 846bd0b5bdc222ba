#ifndef MAVOSCAN_TESTS_FUZZ_FUZZ_CHECK_H_
#define MAVOSCAN_TESTS_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

namespace mavoscan {

// Stops the fuzzer with `what` when a property does not hold; libFuzzer then
// saves the input that broke it.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_FUZZ_FUZZ_CHECK_H_
