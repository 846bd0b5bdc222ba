#include "check/run_check.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  std::unique_ptr<mavoscan::Platform> platform =
      mavoscan::CreatePlatform(argc, argv);
  return mavoscan::RunCheck(*platform);
}
