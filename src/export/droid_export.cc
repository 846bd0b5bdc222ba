#include "export/droid_export.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace mavoscan {
namespace {

std::string TwoDigits(int value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? "0" + digits : digits;
}

std::string DateTime(const LocalTime& t) {
  return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" +
         TwoDigits(t.day) + "T" + TwoDigits(t.hour) + ":" +
         TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The string as a sequence: each letter as "(upper|lower)" when `fold`,
// every other byte as two hexadecimal digits.
std::string StringSequence(const PlannedString& planned, bool fold) {
  std::string sequence;
  for (size_t i = 0; i < planned.bytes.size(); ++i) {
    const std::string_view byte = std::string_view(planned.bytes).substr(i, 1);
    const std::string_view other =
        std::string_view(planned.other_case).substr(i, 1);
    if (fold && byte != other) {
      sequence += "(" + HexBytes(byte) + "|" + HexBytes(other) + ")";
    } else {
      sequence += HexBytes(byte);
    }
  }
  return sequence;
}

}  // namespace

ExportResult ExportDroid(const DefinitionContent& definition,
                         const ExportPlan& plan, const LocalTime& now) {
  ExportResult result;
  result.label = XmlText(plan.name);
  std::string& text = result.text;
  text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<FFSignatureFile "
      "xmlns=\"http://www.nationalarchives.gov.uk/pronom/SignatureFile\" "
      "Version=\"1\" DateCreated=\"" +
      DateTime(now) + "\">\n";
  text += "  <InternalSignatureCollection>\n";
  text += "    <InternalSignature ID=\"1\" Specificity=\"Specific\">\n";
  for (const PlannedPattern& pattern : plan.patterns) {
    const std::string pos = std::to_string(pattern.pos);
    text += "      <ByteSequence Reference=\"BOFoffset\">\n";
    text += "        <SubSequence Position=\"1\" SubSeqMinOffset=\"" + pos +
            "\" SubSeqMaxOffset=\"" + pos + "\"><Sequence>" +
            HexBytes(pattern.bytes) + "</Sequence></SubSequence>\n";
    text += "      </ByteSequence>\n";
  }
  std::vector<size_t> exact_case;
  for (const PlannedString& planned : plan.strings) {
    const bool fold = planned.letters <= kDroidMaxFoldedLetters;
    if (!fold) exact_case.push_back(planned.number);
    text += "      <ByteSequence Reference=\"Variable\">\n";
    text += "        <SubSequence Position=\"1\"><Sequence>" +
            StringSequence(planned, fold) + "</Sequence></SubSequence>\n";
    text += "      </ByteSequence>\n";
  }
  text += "    </InternalSignature>\n";
  text += "  </InternalSignatureCollection>\n";
  text += "  <FileFormatCollection>\n";
  text +=
      "    <FileFormat ID=\"1\" Name=\"" + XmlText(plan.name) + "\" PUID=\"\">";
  text += "<InternalSignatureID>1</InternalSignatureID>";
  const std::string ext = PlainExtension(definition.ext);
  if (!ext.empty()) text += "<Extension>" + ext + "</Extension>";
  text += "</FileFormat>\n";
  text += "  </FileFormatCollection>\n";
  text += "</FFSignatureFile>\n";

  if (!plan.strings.empty()) {
    result.losses.push_back(
        ReadWindowLoss(plan, kDroidScanLength, "DROID's default scan window"));
  }
  if (!exact_case.empty()) {
    result.losses.push_back(StringLoss(
        LossKind::kCase, exact_case,
        "written in upper case only: more than " +
            std::to_string(kDroidMaxFoldedLetters) +
            " letters written as both cases would multiply a matcher's "
            "choices"));
  }
  return result;
}

}  // namespace mavoscan
