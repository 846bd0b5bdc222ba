#include "common/json_writer.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace mavoscan {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the byte
// there does not begin one.
size_t SequenceLength(std::string_view bytes, size_t at) {
  const unsigned char lead = ByteAt(bytes, at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  // The range the second byte may take: narrower than 80..BF after the
  // leads that would otherwise allow overlong forms, surrogates or values
  // above U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  const unsigned char second = ByteAt(bytes, at + 1);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    const unsigned char next = ByteAt(bytes, at + i);
    if (next < 0x80 || next > 0xBF) return 0;
  }
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = SequenceLength(bytes, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string ValidUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = SequenceLength(bytes, at);
    if (length == 0) {
      text += kReplacement;
      ++at;
    } else {
      text.append(bytes.substr(at, length));
      at += length;
    }
  }
  return text;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  has_items_.push_back(false);
}

void JsonWriter::EndObject() {
  text_ += '}';
  has_items_.pop_back();
}

void JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  has_items_.push_back(false);
}

void JsonWriter::EndArray() {
  text_ += ']';
  has_items_.pop_back();
}

void JsonWriter::Key(std::string_view key) {
  String(key);
  text_ += ':';
  after_key_ = true;
}

void JsonWriter::String(std::string_view bytes) {
  BeforeValue();
  static constexpr char kDigits[] = "0123456789abcdef";
  text_ += '"';
  for (size_t at = 0; at < bytes.size();) {
    const unsigned char byte = ByteAt(bytes, at);
    if (byte == '"' || byte == '\\') {
      text_ += '\\';
      text_ += static_cast<char>(byte);
    } else if (byte == '\n') {
      text_ += "\\n";
    } else if (byte == '\t') {
      text_ += "\\t";
    } else if (byte == '\r') {
      text_ += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      text_ += "\\u00";
      text_ += kDigits[byte >> 4];
      text_ += kDigits[byte & 15];
    } else if (byte < 0x80) {
      text_ += static_cast<char>(byte);
    } else {
      const size_t length = SequenceLength(bytes, at);
      if (length == 0) {
        text_ += kReplacement;
      } else {
        text_.append(bytes.substr(at, length));
        at += length;
        continue;
      }
    }
    ++at;
  }
  text_ += '"';
}

void JsonWriter::Bool(bool value) { Raw(value ? "true" : "false"); }

void JsonWriter::Null() { Raw("null"); }

void JsonWriter::Fixed(double value, int decimals) {
  // JSON has no infinities or NaN; a figure that is none is no figure.
  if (!std::isfinite(value)) {
    Null();
    return;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
  Raw(buffer);
}

void JsonWriter::Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  BeforeValue();
  text_ += '"';
  for (size_t i = 0; i < bytes.size(); ++i) {
    text_ += kDigits[ByteAt(bytes, i) >> 4];
    text_ += kDigits[ByteAt(bytes, i) & 15];
  }
  text_ += '"';
}

void JsonWriter::BytesMember(std::string_view key, std::string_view bytes) {
  Member(key, bytes);
  if (!IsValidUtf8(bytes)) {
    HexMember(std::string(key) + "_hex", bytes);
  }
}

std::string JsonWriter::Take() {
  std::string text = std::move(text_);
  text_.clear();
  has_items_.clear();
  after_key_ = false;
  return text;
}

void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!has_items_.empty()) {
    if (has_items_.back()) text_ += ',';
    has_items_.back() = true;
  }
}

void JsonWriter::Raw(std::string_view text) {
  BeforeValue();
  text_ += text;
}

}  // namespace mavoscan
