#include "xmlread/xml_scan.h"

#include <vector>

namespace mavoscan {
namespace {

// Joins lines broken with CR LF without a gap (a lone CR or LF stays) and
// turns tabs into spaces, in place.
void NormaliseText(std::string* text) {
  std::string& t = *text;
  size_t kept = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
      ++i;
      continue;
    }
    t[kept++] = t[i] == '\t' ? ' ' : t[i];
  }
  t.resize(kept);
}

// Only spaces are stripped; a stray CR or LF is part of the token.
std::string_view StripSpaces(std::string_view token) {
  size_t first = token.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = token.find_last_not_of(' ');
  return token.substr(first, last - first + 1);
}

}  // namespace

void ScanXmlEntries(std::string text, const XmlEntryVisitor& visit) {
  NormaliseText(&text);
  const std::string_view all = text;
  // Comment handling only starts when a comment can occur at all.
  const bool comments_possible = all.find("!--") != std::string_view::npos;
  bool in_comment = false;

  // The path of the open elements is kept as one string; each level
  // remembers where its "\name" begins, so opening and closing a level costs
  // only its own name, however deep the nesting.
  std::string path;
  std::vector<size_t> level_starts;

  size_t scan = 0;
  while (true) {
    const size_t delimiter = all.find_first_of("<>", scan);
    // Text after the last delimiter is never recorded.
    if (delimiter == std::string_view::npos) break;
    const bool is_tag = all[delimiter] == '>';
    const std::string_view token =
        StripSpaces(all.substr(scan, delimiter - scan));
    scan = delimiter + 1;

    if (comments_possible) {
      // A comment opens and closes on token boundaries: "<!-- x -->" is one
      // token, "<!-- a <b> c -->" spans three and ends with the one ending
      // in "--". Text tokens open comments just as tags do.
      if (!in_comment && token.starts_with("!--")) in_comment = true;
      if (in_comment) {
        if (token.ends_with("--")) in_comment = false;
        continue;
      }
    }
    if (token.empty()) continue;

    if (!is_tag) {
      visit(path, token);
      continue;
    }
    if (token.front() == '?' && token.back() == '?') continue;  // <?xml ...?>
    if (token.front() == '!') continue;                         // <!DOCTYPE>
    if (token.back() == '/') continue;  // an empty element adds no level
    // Attributes are dropped with everything after the first space.
    const std::string_view name = token.substr(0, token.find(' '));
    if (name.front() == '/') {
      // Closing names are not compared with the opening ones. A closing tag
      // with no element open leaves the depth at 0.
      if (!level_starts.empty()) {
        path.resize(level_starts.back());
        level_starts.pop_back();
      }
      continue;
    }
    level_starts.push_back(path.size());
    path += '\\';
    path += name;
  }
}

bool ReadXmlText(Platform& platform, const std::string& name,
                 std::string* text) {
  if (!platform.FileExists(name)) return false;
  std::string data;
  if (!platform.ReadWholeFile(name, &data)) return false;
  *text = std::move(data);
  return true;
}

}  // namespace mavoscan
