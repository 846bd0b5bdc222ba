#include "common/json_writer.h"

#include <gtest/gtest.h>

#include "fakes/json_reader.h"

namespace mavoscan {
namespace {

// What a JSON reader makes of a text the writer wrote: the bytes
// themselves when they are valid UTF-8, U+FFFD for each byte that is not,
// and the exact bytes in "..._hex" only then.
TEST(JsonWriter, TextsReadBackAsUtf8) {
  const std::string kFffd = "\xEF\xBF\xBD";
  const struct {
    const char* name;
    std::string bytes;
    std::string read_back;
    std::string hex;  // empty when no "_hex" member is written
  } rows[] = {
      {"ASCII", "plain.bin", "plain.bin", ""},
      {"two-byte letter", "caf\xC3\xA9", "caf\xC3\xA9", ""},
      {"four-byte sign", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", ""},
      {"Latin-1 byte", "caf\xE9", "caf" + kFffd, "636166E9"},
      {"cut sequence", "\xE2\x82", kFffd + kFffd, "E282"},
      {"overlong slash", "\xC0\xAF", kFffd + kFffd, "C0AF"},
      {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd, "EDA080"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd,
       "F4908080"},
      {"control bytes and quotes", std::string("a\0\x1B\n\t\"\\\x7F", 8),
       std::string("a\0\x1B\n\t\"\\\x7F", 8), ""},
  };
  for (const auto& row : rows) {
    JsonWriter json;
    json.BeginObject();
    json.BytesMember("path", row.bytes);
    json.EndObject();
    const std::string text = json.Take();
    for (char c : text) {
      EXPECT_GE(static_cast<unsigned char>(c), 0x20)
          << row.name << ": raw control byte in " << text;
    }
    JsonValue value;
    ASSERT_TRUE(JsonReader::Parse(text, &value)) << row.name << ": " << text;
    EXPECT_EQ(value["path"].text, row.read_back) << row.name;
    EXPECT_EQ(value.Has("path_hex"), !row.hex.empty()) << row.name;
    EXPECT_EQ(value["path_hex"].text, row.hex) << row.name;
    EXPECT_EQ(IsValidUtf8(row.bytes), row.hex.empty()) << row.name;
    EXPECT_EQ(ValidUtf8(row.bytes), row.read_back) << row.name;
  }
}

// Commas and nesting come from the writer, whatever the shape.
TEST(JsonWriter, NestedValuesAreOneValidText) {
  JsonWriter json;
  json.BeginObject();
  json.Member("format", "x/1");
  json.Key("empty");
  json.BeginArray();
  json.EndArray();
  json.Key("rows");
  json.BeginArray();
  for (int i = 0; i < 3; ++i) {
    json.BeginObject();
    json.Member("n", i);
    json.Member("big", UINT64_MAX);
    json.Member("negative", int64_t{-5});
    json.Member("flag", i == 1);
    json.HexMember("bytes", std::string("\x00\xFF", 2));
    json.Key("bits");
    json.Fixed(98.04, 1);
    json.EndObject();
  }
  json.BeginArray();
  json.Null();
  json.EndArray();
  json.EndArray();
  json.EndObject();
  const std::string text = json.Take();
  JsonValue value;
  ASSERT_TRUE(JsonReader::Parse(text, &value)) << text;
  ASSERT_EQ(value["rows"].items.size(), 4u);
  EXPECT_EQ(value["rows"].items[2]["n"].number, 2);
  EXPECT_TRUE(value["rows"].items[1]["flag"].boolean);
  EXPECT_EQ(value["rows"].items[0]["bytes"].text, "00FF");
  EXPECT_EQ(value["rows"].items[0]["bits"].number, 98.0);
  EXPECT_NE(text.find("\"big\":18446744073709551615"), std::string::npos);
  EXPECT_TRUE(json.Take().empty());
}

}  // namespace
}  // namespace mavoscan
