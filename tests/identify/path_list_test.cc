#include "identify/path_list.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace mavoscan {
namespace {

TEST(PathList, SplitsAsTheStreamDelivers) {
  const struct {
    const char* name;
    std::string list;
    ListSeparator separator;
    std::vector<std::string> expected;
  } rows[] = {
      {"names with spaces, one a line",
       "a b.bin\n  c.bin \nd\n",
       ListSeparator::kNewline,
       {"a b.bin", "  c.bin ", "d"}},
      {"CR LF lines and empty lines; the last without its end",
       "a\r\n\r\n\nb\r\nlast",
       ListSeparator::kNewline,
       {"a", "b", "last"}},
      {"NUL-separated names keep newlines and CRs",
       std::string("new\nline\0cr\r\0\0z", 15),
       ListSeparator::kNul,
       {"new\nline", "cr\r", "z"}},
      {"a name longer than any piece read",
       std::string(300, 'x') + "\ny",
       ListSeparator::kNewline,
       {std::string(300, 'x'), "y"}},
      {"an empty list", "", ListSeparator::kNul, {}},
  };
  for (const auto& row : rows) {
    for (size_t piece : {1, 5, 4096}) {
      FakePlatform fake;
      fake.SetStandardInput(row.list);
      fake.SetStreamPiece(piece);
      std::unique_ptr<InputStream> stream = fake.StandardInput();
      PathList list(*stream, row.separator);
      std::vector<std::string> names;
      std::string name;
      while (list.Next(&name) == ListItem::kPath) names.push_back(name);
      EXPECT_EQ(names, row.expected) << row.name << ", pieces of " << piece;
    }
  }
}

TEST(PathList, AFailedReadIsAnError) {
  FakePlatform fake;
  fake.AddFile("list", "a\nb\nc\n");
  fake.SetStreamPiece(2);
  std::unique_ptr<InputStream> stream = fake.OpenInputStream("list");
  ASSERT_NE(stream, nullptr);
  PathList list(*stream, ListSeparator::kNewline);
  std::string name;
  ASSERT_EQ(list.Next(&name), ListItem::kPath);
  EXPECT_EQ(name, "a");
  fake.FailCall(FakeCall::kRead, fake.call_count(FakeCall::kRead) + 1);
  EXPECT_EQ(list.Next(&name), ListItem::kError);
}

}  // namespace
}  // namespace mavoscan
