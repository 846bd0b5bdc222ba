#include "platform/windows_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace mavoscan {
namespace {

TEST(WindowsRules, TextAfterProgramName) {
  const struct {
    const char* name;
    std::string command_line;
    std::string expected;
  } rows[] = {
      {"plain name", "mavoscan.exe *.bin /NS", "*.bin /NS"},
      {"quoted name with a space", "\"C:\\My Tools\\mavoscan.exe\" *.bin",
       "*.bin"},
      {"closing quote ends the name", "\"mavoscan.exe\"*.bin", "*.bin"},
      {"unclosed quote takes everything", "\"C:\\x y\\mavoscan *.bin", ""},
      {"quote inside an unquoted name", "mavo\"scan *.bin", "*.bin"},
      {"TAB ends an unquoted name", "mavoscan\t*.bin", "*.bin"},
      {"blanks after the name skipped", "mavoscan \t  a  b ", "a  b "},
      {"name alone", "mavoscan.exe", ""},
      {"name and blanks", "mavoscan.exe   ", ""},
      {"empty text", "", ""},
      {"quotes of the arguments kept", "m \"my dir\\*.bin\" \"\"",
       "\"my dir\\*.bin\" \"\""},
      {"high bytes belong to the name", "\xe9t\xe9.exe a", "a"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TextAfterProgramName(row.command_line), row.expected) << row.name;
  }
}

TEST(WindowsRules, DirectoryPartLength) {
  const struct {
    std::string path;
    size_t expected;
  } rows[] = {
      {"*.bin", 0},
      {"sub\\*.bin", 4},
      {"sub/*.bin", 4},
      {"C:*.bin", 2},
      {"C:\\a/b\\*.bin", 7},
      {"a/b\\", 4},
      {"\\\\server\\share\\x", 15},
      {"", 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DirectoryPartLength(row.path), row.expected) << row.path;
  }
}

TEST(WindowsRules, IsListedEntry) {
  constexpr uint32_t kArchive = 0x20;
  constexpr uint32_t kReadOnly = 0x1;
  const struct {
    const char* name;
    uint32_t attributes;
    std::string file;
    bool listed;
  } rows[] = {
      {"archived file", kArchive, "a.bin", true},
      {"read-only file", kReadOnly, "a.bin", true},
      {"no attributes", 0, "a.bin", true},
      {"hidden", kArchive | kAttributeHidden, "a.bin", false},
      {"system", kAttributeSystem, "a.bin", false},
      {"directory", kAttributeDirectory, "dir.bin", false},
      {"read-only directory", kAttributeDirectory | kReadOnly, "d", false},
      {"dot entry", 0, ".", false},
      {"dot-dot entry", 0, "..", false},
      {"name beginning with dots", 0, "..a", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsListedEntry(row.attributes, row.file), row.listed) << row.name;
  }
}

TEST(WindowsRules, HoldsWildcard) {
  for (const char* name : {"*.xml", "a?.xml", "a<b", "a>b", "a\"b"}) {
    EXPECT_TRUE(HoldsWildcard(name)) << name;
  }
  for (const char* name : {"base.xml", "C:\\dir\\b.xml", "a[1].xml"}) {
    EXPECT_FALSE(HoldsWildcard(name)) << name;
  }
}

TEST(WindowsRules, ExceedsPathLimits) {
  const std::string part(255, 'n');
  const struct {
    const char* name;
    std::string path;
    bool too_long;
  } rows[] = {
      {"short", "C:\\x\\a.bin", false},
      {"part of 256 in 259 bytes", "C:\\" + std::string(256, 'a'), true},
      {"259 bytes in parts",
       "C:\\" + std::string(200, 'a') + "\\" + std::string(55, 'b'), false},
      {"260 bytes",
       "C:\\" + std::string(200, 'a') + "\\" + std::string(56, 'b'), true},
      {"part of 255", "C:\\" + part, false},
      {"part of 256 after a slash", "C:/" + part + "n", true},
      {"part of 256 alone", part + "n", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ExceedsPathLimits(row.path), row.too_long) << row.name;
  }
}

TEST(WindowsRules, DecodeKeyEvent) {
  constexpr uint16_t kEscape = 0x1b;
  constexpr uint16_t kShift = 0x10;
  constexpr uint16_t kLeftControl = 0xa2;
  constexpr uint16_t kUpArrow = 0x26;
  constexpr uint16_t kKeyA = 0x41;
  const struct {
    const char* name;
    ConsoleInputEvent event;
    int expected;
  } rows[] = {
      {"Escape pressed", {true, true, kEscape, 27}, kEscapeKey},
      {"Escape without its character", {true, true, kEscape, 0}, kEscapeKey},
      {"Escape released", {true, false, kEscape, 27}, kNoKey},
      {"letter pressed", {true, true, kKeyA, 'a'}, 'a'},
      {"high character stays positive", {true, true, 0xde, 0xe9}, 0xe9},
      {"arrow pressed", {true, true, kUpArrow, 0}, 0x100 + kUpArrow},
      {"Shift alone", {true, true, kShift, 0}, kNoKey},
      {"left Control alone", {true, true, kLeftControl, 0}, kNoKey},
      {"mouse or size record", {false, false, 0, 0}, kNoKey},
      {"record that is no key with stale fields",
       {false, true, kEscape, 27},
       kNoKey},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DecodeKeyEvent(row.event), row.expected) << row.name;
  }
}

TEST(WindowsRules, ForeignTemporary) {
  const struct {
    std::string name;
    bool foreign;
  } rows[] = {
      {".mavoscan-12-1.tmp", true},    {".mavoscan-4321-3.tmp", false},
      {".mavoscan-43210-1.tmp", true}, {".mavoscan-432-1.tmp", true},
      {"newtype.mavo.xml", false},     {".mavoscan", false},
      {"x.mavoscan-12-1.tmp", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ForeignTemporary(row.name, 4321), row.foreign) << row.name;
  }
}

TEST(WindowsRules, TrimSystemMessage) {
  const struct {
    std::string message;
    std::string expected;
  } rows[] = {
      {"Access is denied.\r\n", "Access is denied"},
      {"There is not enough space on the disk. \r\n",
       "There is not enough space on the disk"},
      {"No full stop\n", "No full stop"},
      {"v1.2 inside stays.", "v1.2 inside stays"},
      {"\r\n", ""},
      {"", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TrimSystemMessage(row.message), row.expected) << row.message;
  }
}

}  // namespace
}  // namespace mavoscan
