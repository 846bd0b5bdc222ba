#include "xmlread/xml_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_platform.h"
#include "xmlread/xml_scan.h"

namespace mavoscan {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Entries as "path=value" lines with CR and LF made visible, so that a
// failing row shows exactly what the reader produced.
std::string Show(const Pairs& pairs) {
  std::string shown;
  for (const auto& [path, value] : pairs) {
    for (char c : path + "=" + value) {
      if (c == '\r') {
        shown += "\\r";
      } else if (c == '\n') {
        shown += "\\n";
      } else {
        shown += c;
      }
    }
    shown += "\n";
  }
  return shown;
}

Pairs AsPairs(const XmlEntryList& entries) {
  Pairs pairs;
  for (const XmlEntry& entry : entries)
    pairs.emplace_back(entry.path, entry.value);
  return pairs;
}

TEST(XmlEntries, ForgivingReaderQuirks) {
  struct Row {
    const char* name;
    std::string text;
    Pairs expected;
  };
  const Row rows[] = {
      {"written definition: CR LF, tabs and the attribute yield nothing",
       "<Mavo ver=\"2.00\">\r\n\t<Info>\r\n\t\t<FileType>Some type</FileType>"
       "\r\n\t\t<Ext></Ext>\r\n\t</Info>\r\n\t<FrontBlock>\r\n\t\t<Pattern>"
       "\r\n\t\t\t<Bytes>4D5A</Bytes>\r\n\t\t\t<Pos>0</Pos>\r\n\t\t</Pattern>"
       "\r\n\t\t<Pattern>\r\n\t\t\t<Bytes>50</Bytes>\r\n\t\t\t<Pos>9</Pos>"
       "\r\n\t\t</Pattern>\r\n\t</FrontBlock>\r\n</Mavo>\r\n",
       {{"\\Mavo\\Info\\FileType", "Some type"},
        {"\\Mavo\\FrontBlock\\Pattern\\Bytes", "4D5A"},
        {"\\Mavo\\FrontBlock\\Pattern\\Pos", "0"},
        {"\\Mavo\\FrontBlock\\Pattern\\Bytes", "50"},
        {"\\Mavo\\FrontBlock\\Pattern\\Pos", "9"}}},
      {"CR LF pairs removed without a gap, lone CR kept, no overlap",
       "<a>one\r\ntwo</a><b>x\ry</b><c>p\r\r\nq</c>",
       {{"\\a", "onetwo"}, {"\\b", "x\ry"}, {"\\c", "p\rq"}}},
      {"LF-only line ends become entries, declaration line has the empty path",
       "<?xml version=\"1.0\"?>\n<a>\n\t<b>x</b>\n</a>\n",
       {{"", "\n"}, {"\\a", "\n"}, {"\\a\\b", "x"}, {"\\a", "\n"}}},
      {"tabs become spaces, only spaces are stripped",
       "<a>\t x\ty \t</a><b>  \t </b>",
       {{"\\a", "x y"}}},
      {"comment with no bracket inside is one token",
       "<a><!-- note --><b>v</b><!----></a>",
       {{"\\a\\b", "v"}}},
      {"comment spanning tokens ends with the token ending in --",
       "<a><!-- x <b>y</b> z --><c>v</c></a>",
       {{"\\a\\c", "v"}}},
      {"a lone !-- token opens and closes itself, the rest is live",
       "<a><!-- <b>live</b> --><c>v</c></a>",
       {{"\\a\\b", "live"}, {"\\a\\--\\c", "v"}}},
      {"a text token can open a comment",
       "<a>!-- note --<b>v</b>!-- x<c>hidden</c>y --</a>",
       {{"\\a\\b", "v"}}},
      {"comment marker joined across CR LF is seen",
       "<a>!-\r\n- x <b>y</b> --</a>",
       {}},
      {"attributes dropped, names keep case",
       "<Root x=\"1\" y='2'><Item k=\"v w\">t</Item></Root>",
       {{"\\Root\\Item", "t"}}},
      {"entities and character references kept as written",
       "<a>&amp;&lt;&#65;</a>",
       {{"\\a", "&amp;&lt;&#65;"}}},
      {"closing names not compared",
       "<a><b>x</c>y</a>",
       {{"\\a\\b", "x"}, {"\\a", "y"}}},
      {"empty-element tags add no level and no entry",
       "<a><b x=\"1\"/>t<br/>u</a>",
       {{"\\a", "t"}, {"\\a", "u"}}},
      {"text outside elements has the empty path; trailing text dropped",
       "lead<a>in</a>tail<b>x</b>never",
       {{"", "lead"}, {"\\a", "in"}, {"", "tail"}, {"\\b", "x"}}},
      {"byte-order mark before the root is entry 1",
       "\xEF\xBB\xBF<Mavo><a>v</a></Mavo>",
       {{"", "\xEF\xBB\xBF"}, {"\\Mavo\\a", "v"}}},
      {"closing tags at depth 0 leave the depth at 0",
       "</x></y><a>v</a></a></a><b>w</b>",
       {{"\\a", "v"}, {"\\b", "w"}}},
      {"a > in text opens a level",
       "<a>1 > 0</a><b>v</b>",
       {{"\\a\\1", "0"}, {"\\a\\b", "v"}}},
      {"declarations and document types ignored",
       "<?xml version=\"1.0\"?><!DOCTYPE a><a>v</a>",
       {{"\\a", "v"}}},
      {"no delimiter at all", "just some text", {}},
      {"empty text", "", {}},
      {"NUL and high bytes are ordinary",
       std::string("<a>x\0\xFFy</a>", 10),
       {{"\\a", std::string("x\0\xFFy", 4)}}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Show(AsPairs(ParseXmlEntries(row.text))), Show(row.expected))
        << row.name;
  }
}

TEST(XmlEntries, DeepNestingAndManyEntriesAreReadCompletely) {
  constexpr int kDepth = 1000;
  std::string text;
  std::string path;
  for (int i = 0; i < kDepth; ++i) text += "<n" + std::to_string(i) + ">t<";
  // The last "<" above opens the first closing tag.
  for (int i = kDepth - 1; i >= 0; --i)
    text += "/n" + std::to_string(i) + ">u<";
  text += "/end>";
  XmlEntryList entries = ParseXmlEntries(text);
  ASSERT_EQ(entries.size(), 2u * kDepth);
  for (int i = 0; i < kDepth; ++i) {
    path += "\\n" + std::to_string(i);
    ASSERT_EQ(entries[i].path, path) << "down " << i;
    ASSERT_EQ(entries[2 * kDepth - 1 - i].path,
              path.substr(0, path.rfind('\\')))
        << "up " << i;
  }
}

TEST(XmlEntries, DeepTextHeavyInputStaysLinearWhenScanned) {
  // Half a million levels each followed by text: storing every path would
  // take hundreds of gigabytes, and rebuilding each path from level 1 would
  // never finish. Scanning builds each path once.
  constexpr size_t kDepth = 500000;
  std::string text;
  for (size_t i = 0; i < kDepth; ++i) text += "<e>x";
  text += "<";
  size_t count = 0;
  size_t last_size = 0;
  ScanXmlEntries(std::move(text),
                 [&](std::string_view entry_path, std::string_view value) {
                   ++count;
                   last_size = entry_path.size();
                   EXPECT_EQ(value, "x");
                 });
  EXPECT_EQ(count, kDepth);
  EXPECT_EQ(last_size, 2 * kDepth);
}

TEST(XmlEntries, ReadsOnlyExistingReadableRegularFiles) {
  FakePlatform fake;
  fake.AddFile("defs/a.xml", "<a>1</a><a>2</a>");
  fake.AddFile("defs/.hidden.xml", "<a>1</a>");
  fake.AddFile("locked.xml", "<a>1</a>");
  fake.MakeUnreadable("locked.xml");
  fake.AddDirectory("dir.xml");
  fake.AddFile("empty.xml", "");

  const XmlEntryList previous = {{"\\old", "kept"}};
  for (const char* name :
       {"missing.xml", "defs/.hidden.xml", "locked.xml", "dir.xml"}) {
    XmlEntryList entries = previous;
    EXPECT_EQ(ReadXmlEntries(fake, name, &entries), 0) << name;
    EXPECT_EQ(AsPairs(entries), AsPairs(previous)) << name;
  }

  XmlEntryList entries = previous;
  EXPECT_EQ(ReadXmlEntries(fake, "empty.xml", &entries), 0);
  EXPECT_TRUE(entries.empty());  // the file was read: old content discarded
  EXPECT_EQ(ReadXmlEntries(fake, "defs/a.xml", &entries), 2);
  EXPECT_EQ(Show(AsPairs(entries)), Show({{"\\a", "1"}, {"\\a", "2"}}));
}

}  // namespace
}  // namespace mavoscan
