#include <algorithm>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"
#include "e2e/transcripts.h"
#include "gtest/gtest.h"

namespace mavoscan::e2e {
namespace {

// Every row ends the run before any sample is looked at.
TEST(CommandLineRun, ErrorsAndHelp) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string after_banner;
  };
  const std::string mask_needed =
      Join({Lines({"", "* Error: file mask needed (es: *.exe)"}), Usage()});
  const std::string quotes =
      Join({Lines({"", "* Error: double quotes doesn't match!"}), Usage()});
  auto illegal = [](const std::string& argument) {
    return Join({Lines({"", "* Error: Illegal parameter '" + argument + "'"}),
                 Usage()});
  };
  const Row rows[] = {
      {"no arguments", {}, mask_needed},
      {"empty first argument", {""}, mask_needed},
      {"/?", {"/?"}, Usage()},
      {"-?", {"-?"}, Usage()},
      {"/h", {"/h"}, Usage()},
      {"-H", {"-H"}, Usage()},
      {"/Help", {"/Help"}, Usage()},
      {"-help", {"-help"}, Usage()},
      {"--help", {"--help"}, Usage()},
      {"--HELP", {"--HELP"}, Usage()},
      {"help with more after it", {"/?", "/xs", "def.xml"}, Usage()},
      {"help switch after the mask", {"*.bin", "/?"}, illegal("/?")},
      {"--help after a switch", {"*.bin", "/NS", "--help"}, illegal("--help")},
      {"unknown switch keeps its case", {"*.bin", "/xs"}, illegal("/xs")},
      {"switch after the switches",
       {"*.bin", "/ns", "/FS", "/x"},
       illegal("/x")},
      {"definition after a switch",
       {"*.bin", "/NS", "def.xml"},
       illegal("def.xml")},
      {"third argument not a switch",
       {"*.bin", "def.xml", "more.xml"},
       illegal("more.xml")},
      {"odd quote count", {"a\"b.bin"}, quotes},
      {"odd quote count before help", {"/?", "x\""}, quotes},
      {"three quotes", {"\"a\"", "b\""}, quotes},
      {"unknown switch with a quote inside",
       {"*.bin", "/\"x\""},
       illegal("/\"x\"")},
      {"single quotes are ordinary", {"*.bin", "/ns", "'/x'"}, illegal("'/x'")},
      // "/" begins a switch; an absolute path names a base only when it
      // is an existing file.
      {"absolute path in second place",
       {"*.bin", "/tmp/base.xml"},
       illegal("/tmp/base.xml")},
  };
  for (const Row& row : rows) {
    // Wine joins the arguments into one text with a backslash before every
    // double quote, so quotes inside arguments never reach the Windows
    // build as typed.
    if (WindowsTool() && std::any_of(row.args.begin(), row.args.end(),
                                     [](const std::string& arg) {
                                       return arg.find('"') != arg.npos;
                                     })) {
      continue;
    }
    TempDir dir;
    RunResult run = dir.Run(row.args);
    EXPECT_EQ(run.out, Join({Banner(), row.after_banner})) << row.name;
    EXPECT_EQ(run.exit_code, 1) << row.name;
    EXPECT_TRUE(dir.List().empty()) << row.name;
  }
}

// Arguments the parser accepts go on to the sample collection, which finds
// nothing in an empty directory.
TEST(CommandLineRun, AcceptedArgumentsReachTheCollection) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {"mask alone", {"*.bin"}},
      {"switches in any case", {"*.bin", "/ns", "/Fs", "/NS"}},
      {"empty argument ends the list", {"*.bin", "", "/xs"}},
      {"mask with a space", {"my samples/*.bin", "/NS"}},
      {"mask beginning with a dash", {"-x.bin"}},
      // A blank argument reaches the tool quoted, so it is a mask of blanks.
      {"blank first argument", {"  "}},
  };
  for (const Row& row : rows) {
    TempDir dir;
    RunResult run = dir.Run(row.args);
    EXPECT_EQ(run.out, Join({Banner(), Lines({"", "Checking files...", "",
                                              "* Error: no matching files!"})}))
        << row.name;
    EXPECT_EQ(run.exit_code, 1) << row.name;
  }
}

// The second argument names a base definition unless it begins with "/";
// one that does not exist is reported before any sample is looked at.
TEST(CommandLineRun, SecondArgumentIsTheBaseDefinition) {
  TempDir dir;
  dir.Write("a.bin", FamilySample(0));
  dir.Write("b.bin", FamilySample(1));
  for (const char* name : {"-base.xml", "missing.mavo.xml", "*.bin"}) {
    RunResult run = dir.Run({"*.bin", name, "/ns"});
    EXPECT_EQ(run.out,
              Join({Banner(), Lines({"", std::string("* Error: definition <") +
                                             name + "> not found."})}))
        << name;
    EXPECT_EQ(run.exit_code, 1) << name;
  }
}

}  // namespace
}  // namespace mavoscan::e2e
