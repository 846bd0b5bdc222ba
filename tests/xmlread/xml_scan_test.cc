#include "xmlread/xml_scan.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Entries(std::string text) {
  Pairs pairs;
  ScanXmlEntries(std::move(text),
                 [&pairs](std::string_view path, std::string_view value) {
                   pairs.emplace_back(path, value);
                 });
  return pairs;
}

TEST(XmlScan, ForgivingReaderQuirks) {
  const struct {
    const char* name;
    std::string text;
    Pairs expected;
  } rows[] = {
      {"CR LF, tabs, attribute",
       "<M v=\"2\">\r\n\t<I>\r\n\t\t<T>x\r\ny</T>\r\n",
       {{"\\M\\I\\T", "xy"}}},
      {"lone CR kept, no overlap", "<a>p\r\r\nq\rr</a>", {{"\\a", "p\rq\rr"}}},
      {"LF-only line ends",
       "<?xml v?>\n<a>\n\t<b>x\ty </b>\n</a>",
       {{"", "\n"}, {"\\a", "\n"}, {"\\a\\b", "x y"}, {"\\a", "\n"}}},
      {"comments",
       "<a><!-- x <b>y</b> z --><!----><c>v</c>!--t--</a>",
       {{"\\a\\c", "v"}}},
      {"lone !-- token",
       "<a><!-- <b>v</b> --><c>w</c>",
       {{"\\a\\b", "v"}, {"\\a\\--\\c", "w"}}},
      {"!-- joined across CR LF", "<a>!-\r\n- x <b>y</b> --</a>", {}},
      {"entities kept, close names ignored",
       "<a><b>&amp;&#65;</c>y</a>",
       {{"\\a\\b", "&amp;&#65;"}, {"\\a", "y"}}},
      {"empty-element tags",
       "<a><b x=\"1\"/>t<br/>u</a>",
       {{"\\a", "t"}, {"\\a", "u"}}},
      {"text outside elements",
       "\xEF\xBB\xBF<a>in</a>tail<!DOCTYPE x>never",
       {{"", "\xEF\xBB\xBF"}, {"\\a", "in"}, {"", "tail"}}},
      {"closing tags at depth 0",
       "</x></y><a>v</a></a><b>w</b>",
       {{"\\a", "v"}, {"\\b", "w"}}},
      {"> in text opens a level",
       "<a>1 > 0</a><b>v</b>",
       {{"\\a\\1", "0"}, {"\\a\\b", "v"}}},
      {"no delimiter", "text", {}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Entries(row.text), row.expected) << row.name;
  }
}

TEST(XmlScan, DeepNestingAndManyEntries) {
  // 1000 levels down and up, text at each: past every growth step.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "<n" + std::to_string(i) + ">t";
  for (int i = 999; i >= 0; --i) text += "</n>u";
  Pairs entries = Entries(text + "<");
  ASSERT_EQ(entries.size(), 2000u);
  EXPECT_EQ(entries[999].first.size(), 4890u);
  EXPECT_EQ(entries[999].first.substr(0, 8), "\\n0\\n1\\n");
  EXPECT_EQ(entries[1000].first, entries[998].first);
  EXPECT_EQ(entries[1999].first, "");

  // Half a million levels each holding text: rebuilding every path from
  // level 1 would not finish; the scan builds each path once.
  text.clear();
  for (int i = 0; i < 500000; ++i) text += "<e>x";
  size_t count = 0;
  ScanXmlEntries(text + "<", [&](std::string_view path, std::string_view) {
    EXPECT_EQ(path.size(), 2 * ++count);
  });
  EXPECT_EQ(count, 500000u);
}

TEST(XmlScan, ReadsOnlyExistingReadableRegularFiles) {
  FakePlatform fake;
  fake.AddFile("d/a.xml", "<a>1</a><a>2</a>");
  fake.AddFile("d/.hidden.xml", "<a>1</a>");
  fake.AddFile("locked.xml", "<a>1</a>");
  fake.MakeUnreadable("locked.xml");
  fake.AddDirectory("dir.xml");
  fake.AddFile("empty.xml", "");
  for (const char* name :
       {"none.xml", "d/.hidden.xml", "locked.xml", "dir.xml"}) {
    std::string text = "kept";
    EXPECT_FALSE(ReadXmlText(fake, name, &text)) << name;
    EXPECT_EQ(text, "kept") << name;
  }
  std::string text = "kept";
  EXPECT_TRUE(ReadXmlText(fake, "empty.xml", &text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(ReadXmlText(fake, "d/a.xml", &text));
  EXPECT_EQ(Entries(text), (Pairs{{"\\a", "1"}, {"\\a", "2"}}));
}

}  // namespace
}  // namespace mavoscan
