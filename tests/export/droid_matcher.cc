#include "export/droid_matcher.h"

#include <cstdlib>

namespace mavoscan::export_test {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool HexByte(std::string_view text, size_t at, char* byte) {
  if (at + 1 >= text.size()) return false;
  const int high = HexValue(text[at]);
  const int low = HexValue(text[at + 1]);
  if (high < 0 || low < 0) return false;
  *byte = static_cast<char>(high * 16 + low);
  return true;
}

// The value of attribute `name` in the tag that starts at `tag`, or "".
std::string Attribute(std::string_view xml, size_t tag, std::string_view name) {
  const size_t end = xml.find('>', tag);
  const std::string key = " " + std::string(name) + "=\"";
  const size_t at = xml.find(key, tag);
  if (at == std::string_view::npos || at > end) return "";
  const size_t start = at + key.size();
  return std::string(xml.substr(start, xml.find('"', start) - start));
}

}  // namespace

bool DroidMatcher::Load(std::string_view xml, std::string* err) {
  sequences_.clear();
  if (xml.find("<FFSignatureFile") == std::string_view::npos ||
      xml.find("<InternalSignature ") == std::string_view::npos) {
    *err = "no internal signature";
    return false;
  }
  size_t at = 0;
  while ((at = xml.find("<ByteSequence ", at)) != std::string_view::npos) {
    Sequence sequence;
    const std::string reference = Attribute(xml, at, "Reference");
    if (reference == "Variable") {
      sequence.variable = true;
    } else if (reference != "BOFoffset") {
      *err = "unknown reference " + reference;
      return false;
    }
    const size_t sub = xml.find("<SubSequence ", at);
    if (sub == std::string_view::npos ||
        Attribute(xml, sub, "Position") != "1") {
      *err = "a byte sequence without subsequence 1";
      return false;
    }
    if (!sequence.variable) {
      sequence.min_offset = std::strtoul(
          Attribute(xml, sub, "SubSeqMinOffset").c_str(), nullptr, 10);
      sequence.max_offset = std::strtoul(
          Attribute(xml, sub, "SubSeqMaxOffset").c_str(), nullptr, 10);
      if (sequence.max_offset < sequence.min_offset) {
        *err = "SubSeqMaxOffset below SubSeqMinOffset";
        return false;
      }
    }
    const size_t open = xml.find("<Sequence>", sub);
    const size_t close = xml.find("</Sequence>", sub);
    if (open == std::string_view::npos || close == std::string_view::npos) {
      *err = "a subsequence without a sequence";
      return false;
    }
    const std::string_view text = xml.substr(open + 10, close - (open + 10));
    size_t gap_min = 0;
    size_t gap_max = 0;
    for (size_t i = 0; i < text.size();) {
      Element element;
      char byte = 0;
      if (text[i] == '{') {
        const size_t end = text.find('}', i);
        const std::string gap(text.substr(i + 1, end - i - 1));
        const size_t dash = gap.find('-');
        gap_min += std::strtoul(gap.c_str(), nullptr, 10);
        gap_max += dash == std::string::npos
                       ? std::strtoul(gap.c_str(), nullptr, 10)
                       : std::strtoul(gap.c_str() + dash + 1, nullptr, 10);
        i = end + 1;
        continue;
      }
      if (text.substr(i, 2) == "??") {
        element.any = true;
        i += 2;
      } else if (text[i] == '(') {
        ++i;
        for (;;) {
          if (!HexByte(text, i, &byte)) {
            *err = "a bad alternative in " + std::string(text);
            return false;
          }
          element.choices.push_back(byte);
          i += 2;
          if (i < text.size() && text[i] == '|') {
            ++i;
            continue;
          }
          if (i < text.size() && text[i] == ')') {
            ++i;
            break;
          }
          *err = "an alternative that does not end in " + std::string(text);
          return false;
        }
      } else if (HexByte(text, i, &byte)) {
        element.choices.push_back(byte);
        i += 2;
      } else {
        *err = "a bad sequence " + std::string(text);
        return false;
      }
      element.gap_min = gap_min;
      element.gap_max = gap_max;
      gap_min = gap_max = 0;
      sequence.elements.push_back(element);
    }
    if (sequence.elements.empty()) {
      *err = "an empty sequence";
      return false;
    }
    sequences_.push_back(std::move(sequence));
    at = close;
  }
  if (sequences_.empty()) {
    *err = "no byte sequence";
    return false;
  }
  return true;
}

bool DroidMatcher::MatchesAt(const Sequence& sequence, std::string_view file,
                             size_t at, size_t element) const {
  if (element == sequence.elements.size()) return true;
  const Element& e = sequence.elements[element];
  // The first element's gap is the subsequence's offset, handled outside.
  const size_t gap_min = element == 0 ? 0 : e.gap_min;
  const size_t gap_max = element == 0 ? 0 : e.gap_max;
  for (size_t gap = gap_min; gap <= gap_max; ++gap) {
    const size_t here = at + gap;
    if (here >= file.size()) return false;
    if (!e.any && e.choices.find(file[here]) == std::string::npos) continue;
    if (MatchesAt(sequence, file, here + 1, element + 1)) return true;
  }
  return false;
}

bool DroidMatcher::Matches(std::string_view file) const {
  const std::string_view scanned = file.substr(0, scan_length_);
  for (const Sequence& sequence : sequences_) {
    const size_t first = sequence.variable ? 0 : sequence.min_offset;
    const size_t last =
        sequence.variable ? scanned.size() : sequence.max_offset;
    bool found = false;
    for (size_t start = first; start <= last && start < scanned.size();
         ++start) {
      if (MatchesAt(sequence, scanned, start, 0)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

}  // namespace mavoscan::export_test
