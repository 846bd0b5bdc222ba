#ifndef MAVOSCAN_TESTS_FAKES_JSON_READER_H_
#define MAVOSCAN_TESTS_FAKES_JSON_READER_H_

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mavoscan {

// A strict reader of one JSON text (RFC 8259) for tests: what a script's
// parser would make of the checker's reports. Strings come back as UTF-8
// bytes with their escapes decoded; a text that is not valid JSON, or whose
// strings hold bytes that are not valid UTF-8, is refused.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<JsonValue> items;
  // An object's members: keys[i] names values[i].
  std::vector<std::string> keys;
  std::vector<JsonValue> values;

  // The member `key` of an object; a null value when there is none.
  const JsonValue& operator[](std::string_view key) const;
  bool Has(std::string_view key) const;
};

inline const JsonValue& JsonValue::operator[](std::string_view key) const {
  static const JsonValue kNone;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return values[i];
  }
  return kNone;
}

inline bool JsonValue::Has(std::string_view key) const {
  for (const std::string& name : keys) {
    if (name == key) return true;
  }
  return false;
}

class JsonReader {
 public:
  // Parses `text` whole (blanks around the value allowed). Returns false
  // when it is not one valid JSON value.
  static bool Parse(std::string_view text, JsonValue* value) {
    JsonReader reader(text);
    reader.Blanks();
    if (!reader.Value(value, 0)) return false;
    reader.Blanks();
    return reader.at_ == text.size();
  }

 private:
  explicit JsonReader(std::string_view text) : text_(text) {}

  void Blanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                  text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  bool Take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue* value, int depth) {
    if (depth > 100 || at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      value->kind = JsonValue::Kind::kString;
      return String(&value->text);
    }
    if (Word("true") || Word("false")) {
      value->kind = JsonValue::Kind::kBool;
      value->boolean = c == 't';
      return true;
    }
    if (Word("null")) return true;
    return Number(value);
  }

  bool Object(JsonValue* value, int depth) {
    value->kind = JsonValue::Kind::kObject;
    ++at_;
    Blanks();
    if (Take('}')) return true;
    for (;;) {
      Blanks();
      std::string key;
      if (!String(&key)) return false;
      Blanks();
      if (!Take(':')) return false;
      Blanks();
      JsonValue member;
      if (!Value(&member, depth + 1)) return false;
      value->keys.push_back(std::move(key));
      value->values.push_back(std::move(member));
      Blanks();
      if (Take('}')) return true;
      if (!Take(',')) return false;
    }
  }

  bool Array(JsonValue* value, int depth) {
    value->kind = JsonValue::Kind::kArray;
    ++at_;
    Blanks();
    if (Take(']')) return true;
    for (;;) {
      Blanks();
      JsonValue item;
      if (!Value(&item, depth + 1)) return false;
      value->items.push_back(std::move(item));
      Blanks();
      if (Take(']')) return true;
      if (!Take(',')) return false;
    }
  }

  bool Number(JsonValue* value) {
    const size_t start = at_;
    Take('-');
    if (Take('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Take('.') && !Digits()) return false;
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return false;
    }
    value->kind = JsonValue::Kind::kNumber;
    value->number = std::strtod(
        std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
    return true;
  }

  bool Digits() {
    const size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
    return at_ > start;
  }

  static void AppendUtf8(uint32_t code, std::string* out) {
    if (code < 0x80) {
      *out += static_cast<char>(code);
    } else if (code < 0x800) {
      *out += static_cast<char>(0xC0 | (code >> 6));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      *out += static_cast<char>(0xE0 | (code >> 12));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (code >> 18));
      *out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool Hex4(uint32_t* code) {
    if (at_ + 4 > text_.size()) return false;
    *code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) return false;
      *code = *code * 16 + static_cast<uint32_t>(digit);
    }
    return true;
  }

  // Raw bytes must be valid UTF-8 and no control byte; escapes decoded.
  bool String(std::string* out) {
    if (!Take('"')) return false;
    std::string raw;
    while (at_ < text_.size()) {
      const unsigned char c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') {
        *out += raw;
        return ValidUtf8(raw);
      }
      if (c < 0x20) return false;
      if (c != '\\') {
        raw += static_cast<char>(c);
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char e = text_[at_++];
      switch (e) {
        case '"':
          raw += '"';
          break;
        case '\\':
          raw += '\\';
          break;
        case '/':
          raw += '/';
          break;
        case 'b':
          raw += '\b';
          break;
        case 'f':
          raw += '\f';
          break;
        case 'n':
          raw += '\n';
          break;
        case 'r':
          raw += '\r';
          break;
        case 't':
          raw += '\t';
          break;
        case 'u': {
          uint32_t code = 0;
          if (!Hex4(&code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            uint32_t low = 0;
            if (!Word("\\u") || !Hex4(&low) || low < 0xDC00 || low > 0xDFFF) {
              return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code < 0xE000) {
            return false;
          }
          AppendUtf8(code, &raw);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  static bool ValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      size_t n = c < 0x80                ? 1
                 : c >= 0xC2 && c < 0xE0 ? 2
                 : c >= 0xE0 && c < 0xF0 ? 3
                 : c >= 0xF0 && c < 0xF5 ? 4
                                         : 0;
      if (n == 0 || i + n > s.size()) return false;
      uint32_t code = n == 1 ? c : c & (0x7F >> n);
      for (size_t k = 1; k < n; ++k) {
        const unsigned char next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) return false;
        code = code << 6 | (next & 0x3F);
      }
      const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
      if (code < least[n] || code > 0x10FFFF ||
          (code >= 0xD800 && code < 0xE000)) {
        return false;
      }
      i += n;
    }
    return true;
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace mavoscan

#endif  // MAVOSCAN_TESTS_FAKES_JSON_READER_H_
