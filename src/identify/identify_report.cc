#include "identify/identify_report.h"

#include <cmath>
#include <cstdio>

#include "common/json_writer.h"
#include "common/text.h"

namespace mavoscan {
namespace {

size_t ShownCount(const FileIdentity& identity, MatchesShown shown) {
  return shown == MatchesShown::kAll ? identity.matches.size()
                                     : BestCount(identity.matches);
}

bool Tied(const FileIdentity& identity) {
  return BestCount(identity.matches) > 1;
}

}  // namespace

std::string BitsText(double bits) {
  char text[32];
  if (bits == std::floor(bits)) {
    std::snprintf(text, sizeof text, "%.0f", bits);
  } else {
    std::snprintf(text, sizeof text, "%.1f", bits);
  }
  return text;
}

std::string IdentityText(const IdentifyLibrary& library,
                         const FileIdentity& identity, MatchesShown shown) {
  std::string line = ShownName(identity.path) + ": ";
  if (!identity.error.empty()) return line + "error: " + identity.error + "\n";
  if (identity.matches.empty()) return line + "unknown\n";
  const size_t count = ShownCount(identity, shown);
  for (size_t i = 0; i < count; ++i) {
    const IdentifyMatch& match = identity.matches[i];
    const LibraryDefinition& definition = library.definition(match.definition);
    if (i > 0) line += "; ";
    line += ShownName(definition.content.file_type) + " [" +
            ShownName(definition.name) + ", " + BitsText(match.bits) + " bits" +
            (match.weak ? ", weak" : "") + "]";
  }
  if (Tied(identity)) line += " (tie)";
  return line + "\n";
}

std::string IdentityJson(const IdentifyLibrary& library,
                         const FileIdentity& identity, MatchesShown shown) {
  JsonWriter json;
  json.BeginObject();
  json.Member("format", kIdentifyFormat);
  json.BytesMember("path", identity.path);
  json.Key("size");
  if (identity.size) {
    json.Number(*identity.size);
  } else {
    json.Null();
  }
  const bool ok = identity.error.empty();
  json.Member("status", ok ? "ok" : "error");
  if (!ok) json.Member("reason", identity.error);
  json.Member("tie", Tied(identity));
  json.Key("matches");
  json.BeginArray();
  const size_t count = ShownCount(identity, shown);
  for (size_t i = 0; i < count; ++i) {
    const IdentifyMatch& match = identity.matches[i];
    const LibraryDefinition& definition = library.definition(match.definition);
    json.BeginObject();
    json.BytesMember("definition", definition.name);
    json.Member("file_type", definition.content.file_type);
    json.Member("ext", definition.ext);
    json.Key("bits");
    json.Fixed(match.bits, 1);
    json.Member("weak", match.weak);
    json.Key("basis");
    json.BeginObject();
    json.Member("patterns", match.basis.patterns);
    json.Member("pattern_bytes", match.basis.pattern_bytes);
    json.Key("pattern_bits");
    json.Fixed(match.basis.pattern_bits, 1);
    json.Member("strings", match.basis.strings);
    json.Key("string_bits");
    json.Fixed(match.basis.string_bits, 1);
    json.EndObject();
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return json.Take() + "\n";
}

}  // namespace mavoscan
