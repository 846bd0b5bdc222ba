#ifndef MAVOSCAN_COMMON_JSON_WRITER_H_
#define MAVOSCAN_COMMON_JSON_WRITER_H_

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mavoscan {

// True when `bytes` are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// `bytes` with every byte that does not belong to a well-formed UTF-8
// sequence replaced by U+FFFD, one replacement per byte.
std::string ValidUtf8(std::string_view bytes);

// Builds one JSON text. Commas and nesting are kept by the writer: open an
// object or array, give members (Key, then one value) or elements (values),
// close it. Texts are bytes: valid UTF-8 goes out as it is, control bytes,
// `"` and `\` escaped, and any byte outside valid UTF-8 as U+FFFD; where
// the exact bytes matter, BytesMember gives them in hexadecimal beside.
//
//   JsonWriter json;
//   json.BeginObject();
//   json.Member("format", "mavocheck-verify/1");
//   json.Key("files");
//   json.BeginArray();
//   ...
//   json.EndArray();
//   json.EndObject();
//   std::string text = json.Take();  // "{\"format\":...}"
class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member; a value must follow.
  void Key(std::string_view key);

  void String(std::string_view bytes);
  void Bool(bool value);
  void Null();
  template <std::integral T>
  requires(!std::same_as<T, bool>) void Number(T value) {
    Raw(std::to_string(value));
  }
  // A number with `decimals` digits after the point ("98.0").
  void Fixed(double value, int decimals);
  // Bytes as upper-case hexadecimal, two digits a byte, in a JSON string.
  void Hex(std::string_view bytes);

  // Key and value in one call.
  void Member(std::string_view key, std::string_view text) {
    Key(key);
    String(text);
  }
  void Member(std::string_view key, const char* text) {
    Key(key);
    String(text);
  }
  void Member(std::string_view key, const std::string& text) {
    Key(key);
    String(text);
  }
  void Member(std::string_view key, bool value) {
    Key(key);
    Bool(value);
  }
  template <std::integral T>
  requires(!std::same_as<T, bool>) void Member(std::string_view key, T value) {
    Key(key);
    Number(value);
  }
  void HexMember(std::string_view key, std::string_view bytes) {
    Key(key);
    Hex(bytes);
  }
  // `key` with the bytes as a text and, when they are not valid UTF-8,
  // `key`_hex with their exact bytes: "path" and "path_hex" for a file
  // name.
  void BytesMember(std::string_view key, std::string_view bytes);

  // The JSON text so far; the writer starts again empty.
  std::string Take();

 private:
  void BeforeValue();
  void Raw(std::string_view text);

  std::string text_;
  // Per open object or array: whether it has a member or element yet.
  std::vector<bool> has_items_;
  bool after_key_ = false;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_COMMON_JSON_WRITER_H_
