// A whole run of the checker on the fake platform: arguments, definition
// and files all come from the input. Every run must end with exit code 0, 1
// or 2; an error is one line on standard error with nothing on standard
// output; a JSON report is valid JSON; and the same input gives the same
// report twice.
//
// Input: pieces separated by the byte FE. Piece 1 holds the arguments,
// separated by NUL bytes; piece 2 is the file "d.xml"; the others are the
// files "in/0.bin", "in/1.bin" and so on (at most 12).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/run_check.h"
#include "fakes/fake_platform.h"
#include "fakes/json_reader.h"
#include "fuzz/fuzz_check.h"

namespace mavoscan {
namespace {

constexpr size_t kMaxFiles = 12;
constexpr size_t kMaxArguments = 16;

std::vector<std::string> Split(std::string_view input, char separator) {
  std::vector<std::string> pieces(1);
  for (char c : input) {
    if (c == separator) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

struct Outcome {
  int exit_code = 0;
  std::string output;
  std::string errors;
};

Outcome RunOnce(const std::vector<std::string>& arguments,
                const std::vector<std::string>& pieces) {
  FakePlatform fake;
  if (pieces.size() > 1) fake.AddFile("d.xml", pieces[1]);
  for (size_t i = 2; i < pieces.size() && i - 2 < kMaxFiles; ++i) {
    fake.AddFile("in/" + std::to_string(i - 2) + ".bin", pieces[i]);
  }
  fake.SetArguments(arguments);
  Outcome outcome;
  outcome.exit_code = RunCheck(fake);
  outcome.output = fake.output();
  outcome.errors = fake.error_output();
  return outcome;
}

}  // namespace
}  // namespace mavoscan

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using mavoscan::Require;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> pieces = mavoscan::Split(input, '\xFE');
  std::vector<std::string> arguments = mavoscan::Split(pieces[0], '\0');
  if (arguments.size() > mavoscan::kMaxArguments) {
    arguments.resize(mavoscan::kMaxArguments);
  }
  // A cross-check of many folds on the fake platform is slow and finds
  // nothing new; keep the runs short.
  for (const std::string& argument : arguments) {
    if (argument.find("fold") != std::string::npos) return 0;
  }

  const mavoscan::Outcome first = mavoscan::RunOnce(arguments, pieces);
  Require(first.exit_code >= 0 && first.exit_code <= 2,
          "an exit code other than 0, 1 or 2");
  if (first.exit_code == 2) {
    Require(first.output.empty(), "an error run wrote a report");
    Require(first.errors.starts_with("mavocheck: error: "),
            "an error without its prefix");
    Require(first.errors.find('\n') == first.errors.size() - 1,
            "an error of more than one line");
  } else {
    Require(first.errors.empty(), "a run that did not fail wrote errors");
    bool json = false;
    for (const std::string& argument : arguments) {
      if (argument == "--") break;
      json = json || argument == "--json";
    }
    bool help = false;
    for (const std::string& argument : arguments) {
      if (argument == "--") break;
      help = help || argument == "--help" || argument == "-h" ||
             argument == "--version";
    }
    if (json && !help) {
      mavoscan::JsonValue value;
      Require(mavoscan::JsonReader::Parse(first.output, &value),
              "a JSON report that is not JSON");
      Require(value["format"].kind == mavoscan::JsonValue::Kind::kString,
              "a JSON report without its format");
    }
  }

  const mavoscan::Outcome second = mavoscan::RunOnce(arguments, pieces);
  Require(second.exit_code == first.exit_code &&
              second.output == first.output && second.errors == first.errors,
          "the same run gave another report");
  return 0;
}
