#ifndef MAVOSCAN_EXPORT_EXPORT_PLAN_H_
#define MAVOSCAN_EXPORT_EXPORT_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_definition.h"
#include "strings/sample_text.h"
#include "xmlread/definition_loader.h"

namespace mavoscan {

// What every format writes, worked out once from a definition.
//
// A file matches a definition when every pattern's bytes lie at the
// pattern's offset and, when the definition checks strings, every global
// string occurs in the file's text compared upper-cased, where the text of a
// file over kWholeReadLimit bytes is its first and last half of that. The
// plan restates the strings as the bytes a file may hold at each place, so
// that each format can say exactly those bytes or name what it cannot.

struct PlannedPattern {
  int64_t pos = 0;
  std::string bytes;
};

struct PlannedString {
  // Numbered from 1 as the definition lists its strings.
  size_t number = 0;
  // The string as looked for: NUL restored, letters upper case.
  std::string bytes;
  // Per byte: the other byte a file may hold in its place (the lower case
  // of a letter), or the byte itself where it has no other case.
  std::string other_case;
  bool ascii_letters = false;
  // Bytes whose other case is one of the seven code page 437 letters.
  bool cp437_letters = false;
  // Letters of either kind.
  size_t letters = 0;
};

struct ExportPlan {
  // The patterns, the one with most informative bytes first (a consumer
  // tests it first, so most files are rejected there), the others in the
  // definition's order.
  std::vector<PlannedPattern> patterns;
  // The strings the definition checks, in its order; empty when it does not
  // check them.
  std::vector<PlannedString> strings;
  // Informative bytes (neither 00 nor FF) of every pattern and string: how
  // much a match says.
  size_t informative_bytes = 0;
  // The name shown for a match: the request's, or the FileType.
  std::string name;
  // What the string passes read of a file over kWholeReadLimit bytes: its
  // first head_length and its last tail_length bytes, apart (a string never
  // spans the two).
  int64_t head_length = 0;
  int64_t tail_length = 0;
};

// Fills *plan. Returns false with *err set when the definition has no
// pattern or a pattern before offset 0.
bool PlanExport(const DefinitionContent& definition,
                const ExportRequest& request, ExportPlan* plan,
                std::string* err);

size_t InformativeBytes(std::string_view bytes);

// The loss of a format that looks for the strings in the first `window`
// bytes of a file only, for the reason given.
ExportLoss ReadWindowLoss(const ExportPlan& plan, int64_t window,
                          std::string_view reason);

// A loss of the strings `numbers` (from 1): "string 2 " or "strings 2, 5 "
// followed by `text`.
ExportLoss StringLoss(LossKind kind, std::vector<size_t> numbers,
                      std::string_view text);

// Two upper-case hexadecimal digits per byte.
std::string HexBytes(std::string_view bytes);

// `text` for an XML attribute or element: &, <, > and " as entities, bytes
// outside printable ASCII as "?".
std::string XmlText(std::string_view text);

// `text` with ASCII letters in lower case.
std::string AsciiLower(std::string_view text);

// The extension as consumers write it: lower case, or empty when it holds
// anything but letters, digits, "_" and "-".
std::string PlainExtension(std::string_view ext);

}  // namespace mavoscan

#endif  // MAVOSCAN_EXPORT_EXPORT_PLAN_H_
