#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace mavoscan {
namespace {

TEST(CommandLine, NextArgument) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> arguments;
  };
  const Row rows[] = {
      {"blank", " \t ", {}},
      {"spaces and TABs separate", "  a\tb  c \t", {"a", "b", "c"}},
      {"quoted holds blanks",
       "\"My Samples/*.bin\" x",
       {"My Samples/*.bin", "x"}},
      {"quoted holds TAB", "\"a\tb\"", {"a\tb"}},
      {"closing quote ends it", "\"a b\"c d", {"a b", "c", "d"}},
      {"trailing spaces inside quotes stay", "\"a  \" b", {"a  ", "b"}},
      {"quote mid-argument is ordinary", "ab\"c d\"", {"ab\"c", "d\""}},
      {"empty quotes end the list", "a \"\" b", {"a"}},
      {"empty quotes first", "\"\" a", {}},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    std::vector<std::string> arguments;
    for (std::string argument = NextArgument(&text); !argument.empty();
         argument = NextArgument(&text)) {
      arguments.push_back(argument);
      ASSERT_LT(arguments.size(), 10u) << row.name;
    }
    EXPECT_EQ(arguments, row.arguments) << row.name;
  }
}

TEST(CommandLine, Parse) {
  using Flags = StringMode;
  const Flags kDefault = StringMode::kRescan;
  const Flags kBase = StringMode::kInherit;
  const Flags kNs = StringMode::kNone;
  const Flags kFs = StringMode::kRescan;
  struct Row {
    const char* name;
    std::string text;
    ParseOutcome outcome;
    std::string err = "";
    std::string mask = "";
    std::string definition = "";
    Flags flags = kDefault;
  };
  const std::string kIllegal = "* Error: Illegal parameter '";
  const std::string kNoMask = "* Error: file mask needed (es: *.exe)";
  const std::string kQuotes = "* Error: double quotes doesn't match!";
  const auto kRun = ParseOutcome::kRun;
  const auto kError = ParseOutcome::kError;
  const auto kHelp = ParseOutcome::kHelp;
  const Row rows[] = {
      {"mask only", "*.bin", kRun, "", "*.bin", "", kDefault},
      {"base definition", "*.bin base.xml", kRun, "", "*.bin", "base.xml",
       kBase},
      {"base, /NS, /FS", "*.bin base.xml /NS /FS", kRun, "", "*.bin",
       "base.xml", kFs},
      {"base, /FS, /NS", "*.bin base.xml /FS /NS", kRun, "", "*.bin",
       "base.xml", kNs},
      {"lower case switch", "*.bin /ns", kRun, "", "*.bin", "", kNs},
      {"dash names a file", "*.bin -x.xml", kRun, "", "*.bin", "-x.xml", kBase},
      {"quoted mask and base", "\"My Samples/*.bin\" \"my def.xml\"", kRun, "",
       "My Samples/*.bin", "my def.xml", kBase},
      {"empty quotes stop the list", "*.bin /NS \"\" /xs", kRun, "", "*.bin",
       "", kNs},
      {"unknown switch", "*.bin /xs", kError, kIllegal + "/xs'"},
      {"absolute base definition", "*.bin /defs/x.xml /NS", kRun, "", "*.bin",
       "/defs/x.xml", kNs},
      {"absolute path that is no file", "*.bin /defs/y.xml", kError,
       kIllegal + "/defs/y.xml'"},
      {"a switch even when a file has its name", "*.bin /NS", kRun, "", "*.bin",
       "", kNs},
      {"absolute path only in second place", "*.bin a.xml /defs/x.xml", kError,
       kIllegal + "/defs/x.xml'"},
      {"file after a switch", "*.bin /NS def.xml", kError,
       kIllegal + "def.xml'"},
      {"second file", "*.bin a.xml b.xml", kError, kIllegal + "b.xml'"},
      {"help after the mask", "*.bin /?", kError, kIllegal + "/?'"},
      {"nothing", "", kError, kNoMask},
      {"empty quoted mask", "\"\" *.bin", kError, kNoMask},
      {"odd quotes", "\"*.bin", kError, kQuotes},
      {"odd quotes before help", "/? \"a\"b\"", kError, kQuotes},
      {"/?", "/?", kHelp},
      {"-?", "-?", kHelp},
      {"/h", "/h", kHelp},
      {"-H", "-H", kHelp},
      {"/Help", "/Help", kHelp},
      {"-help", "-help", kHelp},
      {"--help", "--help", kHelp},
      {"--HELP with more", "--HELP /xs", kHelp},
      {"not a help switch", "/he", kRun, "", "/he", "", kDefault},
  };
  auto is_file = [](const std::string& name) {
    return name == "/defs/x.xml" || name == "/NS";
  };
  for (const Row& row : rows) {
    RunOptions options;
    Failure failure;
    ASSERT_EQ(
        ParseCommandLine(row.text, &options, &failure, {is_file, nullptr}),
        row.outcome)
        << row.name;
    EXPECT_EQ(failure.text, row.err) << row.name;
    if (row.outcome != kRun) continue;
    EXPECT_EQ(options.mask_argument, row.mask) << row.name;
    EXPECT_EQ(options.definition_file, row.definition) << row.name;
    EXPECT_EQ(options.refining, !row.definition.empty()) << row.name;
    EXPECT_EQ(options.output_file,
              row.definition.empty() ? "newtype.mavo.xml" : row.definition)
        << row.name;
    EXPECT_EQ(options.strings, row.flags) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan
