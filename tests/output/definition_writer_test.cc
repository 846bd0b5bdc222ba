#include "output/definition_writer.h"

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

const LocalTime kMorning{2026, 3, 7, 9, 5, 3};

PatternList TwoPatterns() {
  return {{std::string("MZ\x90\0", 4), 0}, {std::string("\x01\x02", 2), 60}};
}

TEST(DefinitionWriter, CompleteFileBytes) {
  DefinitionInfo info = NewDefinitionInfo("BIN", 12);
  info.refine = "5 by Someone";
  std::vector<std::string> strings = {std::string("M\0Z\0", 4), "HELLO"};
  std::string expected =
      "<Mavo ver=\"2.00\">\r\n"
      "\t<Info>\r\n"
      "\t\t<FileType>Enter a useful file type description</FileType>\r\n"
      "\t\t<Ext>BIN</Ext>\r\n"
      "\t\t<ExtraInfo>\r\n"
      "\t\t\t<Rem></Rem>\r\n"
      "\t\t\t<RefURL></RefURL>\r\n"
      "\t\t</ExtraInfo>\r\n"
      "\t\t<User>Your name for the credits!</User>\r\n"
      "\t\t<E-Mail>Your antispam-encoded e-mail!</E-Mail>\r\n"
      "\t\t<Home>Your Home Page</Home>\r\n"
      "\t</Info>\r\n"
      "\t<General>\r\n"
      "\t\t<FileNum>12</FileNum>\r\n"
      "\t\t<Refine>5 by Someone</Refine>\r\n"
      "\t\t<CheckStrings>True</CheckStrings>\r\n"
      "\t\t<Date>\r\n"
      "\t\t\t<Year>2026</Year>\r\n"
      "\t\t\t<Month>03</Month>\r\n"
      "\t\t\t<Day>07</Day>\r\n"
      "\t\t</Date>\r\n"
      "\t\t<Time>\r\n"
      "\t\t\t<Hour>09</Hour>\r\n"
      "\t\t\t<Min>05</Min>\r\n"
      "\t\t\t<Sec>03</Sec>\r\n"
      "\t\t</Time>\r\n"
      "\t\t<Creator>MavoScan32 v1.56</Creator>\r\n"
      "\t</General>\r\n"
      "\t<FrontBlock>\r\n"
      "\t\t<Pattern>\r\n"
      "\t\t\t<Bytes>4D5A9000</Bytes>\r\n"
      "\t\t\t<ASCII> M Z</ASCII>\r\n"
      "\t\t\t<Pos>0</Pos>\r\n"
      "\t\t</Pattern>\r\n"
      "\t\t<Pattern>\r\n"
      "\t\t\t<Bytes>0102</Bytes>\r\n"
      "\t\t\t<Pos>60</Pos>\r\n"
      "\t\t</Pattern>\r\n"
      "\t</FrontBlock>\r\n"
      "\t<GlobalStrings>\r\n"
      "\t\t<String>M'Z'</String>\r\n"
      "\t\t<String>HELLO</String>\r\n"
      "\t</GlobalStrings>\r\n"
      "</Mavo>\r\n";
  EXPECT_EQ(RenderDefinition(info, StringMode::kRescan, TwoPatterns(), strings,
                             kMorning),
            expected);
}

TEST(DefinitionWriter, OptionalLines) {
  struct Row {
    const char* name;
    std::string refine;
    StringMode mode;
    std::vector<std::string> strings;
    bool has_refine, has_check, has_strings;
  };
  const Row rows[] = {
      {"new, /NS", "", StringMode::kNone, {}, false, false, false},
      {"scan but nothing found",
       "",
       StringMode::kRescan,
       {},
       false,
       true,
       false},
      {"strings found", "", StringMode::kRescan, {"AB"}, false, true, true},
      {"inherited strings",
       "",
       StringMode::kInherit,
       {"AB"},
       false,
       true,
       true},
      {"refined", "3 by X", StringMode::kNone, {}, true, false, false},
  };
  for (const Row& row : rows) {
    DefinitionInfo info = NewDefinitionInfo("", -3);
    info.refine = row.refine;
    std::string text =
        RenderDefinition(info, row.mode, TwoPatterns(), row.strings, kMorning);
    auto has = [&text](const char* line) {
      return text.find(line) != std::string::npos;
    };
    EXPECT_EQ(has("\t\t<Refine>"), row.has_refine) << row.name;
    EXPECT_EQ(has("\t\t<CheckStrings>True</CheckStrings>\r\n"), row.has_check)
        << row.name;
    EXPECT_EQ(has("\t<GlobalStrings>\r\n"), row.has_strings) << row.name;
    EXPECT_EQ(has("\t</GlobalStrings>\r\n"), row.has_strings) << row.name;
    EXPECT_TRUE(has("\t\t<Ext></Ext>\r\n")) << row.name;
    EXPECT_TRUE(has("\t\t<FileNum>-3</FileNum>\r\n")) << row.name;
  }
}

TEST(DefinitionWriter, DateAndTimeDigits) {
  DefinitionInfo info = NewDefinitionInfo("X", 2);
  std::string text = RenderDefinition(info, StringMode::kNone, TwoPatterns(),
                                      {}, LocalTime{2027, 12, 31, 23, 59, 0});
  EXPECT_NE(text.find("<Year>2027</Year>\r\n\t\t\t<Month>12</Month>\r\n"
                      "\t\t\t<Day>31</Day>"),
            std::string::npos);
  EXPECT_NE(text.find("<Hour>23</Hour>\r\n\t\t\t<Min>59</Min>\r\n"
                      "\t\t\t<Sec>00</Sec>"),
            std::string::npos);
}

TEST(DefinitionWriter, HexText) {
  EXPECT_EQ(HexText(std::string("MZ\x90\0", 4)), "4D5A9000");
  EXPECT_EQ(HexText("&A"), "2641");
  EXPECT_EQ(HexText("\xFF\x0A\x7F"), "FF0A7F");
  EXPECT_EQ(HexText(""), "");
}

TEST(DefinitionWriter, DisplayText) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string display;
  };
  const Row rows[] = {
      {"trailing unprintables dropped", std::string("MZ\x90\0", 4), " M Z"},
      {"PK", "PK\x03\x04", " P K"},
      {"all printable", "%PDF", " % P D F"},
      {"angle bracket inside", "<A", " . A"},
      {"ampersand inside", "&A", " . A"},
      {"only NULs", std::string(3, '\0'), ""},
      {"dot and space", ". ", ""},
      {"inner spaces and dots stay", "A. .B", " A .   . B"},
      {"tilde and DEL", "~\x7F", " ~"},
      {"high bytes", "\x80\xFFZ\xE9", " . . Z"},
      {"greater-than last", "Z>", " Z"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DisplayText(row.bytes), row.display) << row.name;
  }
}

// Whatever step fails, the output and backup names hold complete files: the
// previous definition stays where it was and, once the backup is made, is
// the backup too; no temporary file is left.
TEST(DefinitionWriter, CompleteOrNothing) {
  constexpr char kNew[] = "newtype.mavo.xml";
  constexpr char kBak[] = "newtype.mavo.xml.bak";
  constexpr char kBase[] = "d/x.xml";
  const std::string kFailed = "* Error: unable to write file ";
  const std::string kNotMoved = "* Error: unable to move ";
  const struct Row {
    const char* name;
    bool refining;
    std::vector<std::pair<FakeCall, int>> faults;
    bool ok;
    std::string output, backup;  // "-" for no file
    std::string failure = "";    // the start of the message
  } rows[] = {
      {"written", false, {}, true, "NEW", "previous"},
      {"written over the base", true, {}, true, "NEW", "base"},
      {"temporary not created",
       false,
       {{FakeCall::kCreate, 1}},
       false,
       "previous",
       "old",
       kFailed},
      {"write fails",
       true,
       {{FakeCall::kAppend, 1}},
       false,
       "base",
       "old",
       kFailed},
      {"flush fails",
       false,
       {{FakeCall::kClose, 1}},
       false,
       "previous",
       "old",
       kFailed},
      {"backup not linked",
       false,
       {{FakeCall::kLink, 1}},
       false,
       "previous",
       "old",
       kNotMoved},
      {"backup not linked refining",
       true,
       {{FakeCall::kLink, 1}},
       false,
       "base",
       "old",
       kNotMoved},
      {"backup not replaced",
       true,
       {{FakeCall::kRename, 1}},
       false,
       "base",
       "old",
       kNotMoved},
      {"rename fails",
       false,
       {{FakeCall::kRename, 2}},
       false,
       "previous",
       "previous",
       kFailed},
      {"rename fails refining",
       true,
       {{FakeCall::kRename, 2}},
       false,
       "base",
       "base",
       kFailed},
  };
  for (const Row& row : rows) {
    FakePlatform fake;
    fake.AddFile(kNew, "previous");
    fake.AddFile(kBak, "old");
    fake.AddFile(kBase, "base");
    for (const auto& [call, occurrence] : row.faults) {
      fake.FailCall(call, occurrence);
    }
    const std::string output = row.refining ? kBase : kNew;
    Failure failure;
    EXPECT_EQ(
        WriteDefinition(fake, {output, row.refining, kBase}, "NEW", &failure),
        row.ok)
        << row.name;
    auto held = [&fake](const char* path) {
      return fake.HasFile(path) ? fake.FileData(path) : std::string("-");
    };
    EXPECT_EQ(held(output.c_str()), row.output) << row.name;
    EXPECT_EQ(held(kBak), row.backup) << row.name;
    if (!row.ok) {
      EXPECT_TRUE(failure.text.starts_with(row.failure))
          << row.name << ": " << failure.text;
    }
    if (row.failure == kFailed) {
      EXPECT_EQ(failure.text, kFailed + output + "!") << row.name;
    }
    for (const std::string& path : fake.AllFiles()) {
      EXPECT_EQ(path.find(kTemporaryPrefix), std::string::npos)
          << row.name << ": " << path;
    }
  }
}

// A directory named like the output is no previous file: nothing is
// rotated, and the write fails without touching it.
TEST(DefinitionWriter, OutputNameIsADirectory) {
  FakePlatform fake;
  fake.AddDirectory("newtype.mavo.xml");
  fake.AddFile("newtype.mavo.xml.bak", "old");
  fake.SetFailureReason("Is a directory");
  Failure failure;
  EXPECT_FALSE(
      WriteDefinition(fake, {kNewDefinitionFile, false, ""}, "NEW", &failure));
  EXPECT_EQ(failure.text, "* Error: unable to write file newtype.mavo.xml!");
  EXPECT_EQ(failure.details, std::vector<std::string>{"(Is a directory)"});
  EXPECT_EQ(fake.AllFiles(), std::vector<std::string>{"newtype.mavo.xml.bak"});
}

}  // namespace
}  // namespace mavoscan
