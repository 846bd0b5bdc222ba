// The command-line parser and the text helpers it rests on.
// Input: the last byte chooses which names count as existing files; the
// rest is the command-line text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "driver/command_line.h"
#include "fuzz/fuzz_check.h"
#include "output/definition_writer.h"

namespace mavoscan {
namespace {

void CheckUpperCase(const std::string& text) {
  const std::string upper = UpperCase(text);
  Require(upper.size() == text.size(), "upper-casing changed the length");
  Require(UpperCase(upper) == upper, "upper-casing is not idempotent");
  std::string in_place = text;
  UpperCaseInPlace(&in_place);
  Require(in_place == upper, "the two upper-casings differ");
  for (char c : upper) {
    Require(c < 'a' || c > 'z', "ASCII lower-case letter left");
  }
}

void CheckArguments(const std::string& text) {
  std::string rest = text;
  // Each argument shortens the text, so the loop ends.
  for (size_t taken = 0; taken <= text.size() + 1; ++taken) {
    const size_t before = rest.size();
    if (NextArgument(&rest).empty()) return;
    Require(rest.size() < before, "an argument was taken without progress");
  }
  Require(false, "more arguments than bytes");
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace mavoscan;
  FuzzedDataProvider input(data, size);
  const uint8_t files = input.ConsumeIntegral<uint8_t>();
  const std::string text = input.ConsumeRemainingBytesAsString();
  // Nothing, everything, or names of even length exist.
  auto is_file = [files](const std::string& name) {
    return files % 3 == 1 || (files % 3 == 2 && name.size() % 2 == 0);
  };

  CheckUpperCase(text);
  CheckArguments(text);
  // Names of more than 20 bytes are too long here.
  auto too_long = [](const std::string& name) { return name.size() > 20; };
  RunOptions options;
  Failure failure;
  switch (ParseCommandLine(text, &options, &failure, {is_file, too_long})) {
    case ParseOutcome::kError:
      Require(failure.text.starts_with("* Error: "),
              "error without its prefix");
      break;
    case ParseOutcome::kHelp:
      break;
    case ParseOutcome::kRun:
      Require(!options.mask_argument.empty(), "run without a mask");
      Require(options.refining != options.definition_file.empty(),
              "refining does not match a named definition");
      Require(options.output_file == (options.refining
                                          ? options.definition_file
                                          : std::string(kNewDefinitionFile)),
              "wrong output file");
      Require(options.strings != StringMode::kInherit || options.refining,
              "strings inherited without a base definition");
      break;
  }
  return 0;
}
