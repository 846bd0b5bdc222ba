#include "export/droid_matcher.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace mavoscan::export_test {
namespace {

std::string Signature(const std::string& sequences) {
  return "<FFSignatureFile><InternalSignatureCollection>"
         "<InternalSignature ID=\"1\">" +
         sequences + "</InternalSignature></InternalSignatureCollection>";
}

std::string Bof(int offset, const std::string& sequence) {
  const std::string at = std::to_string(offset);
  return "<ByteSequence Reference=\"BOFoffset\"><SubSequence Position=\"1\" "
         "SubSeqMinOffset=\"" +
         at + "\" SubSeqMaxOffset=\"" + at + "\"><Sequence>" + sequence +
         "</Sequence></SubSequence></ByteSequence>";
}

std::string Variable(const std::string& sequence) {
  return "<ByteSequence Reference=\"Variable\"><SubSequence Position=\"1\">"
         "<Sequence>" +
         sequence + "</Sequence></SubSequence></ByteSequence>";
}

// The matcher stands in for DROID in the export tests, so each rule it
// reads must hold.
TEST(DroidMatcher, FollowsTheSignatureRules) {
  struct Row {
    std::string name;
    std::string signature;
    std::string file;
    bool matches;
  };
  const std::string far(70000, 'x');
  const std::vector<Row> rows = {
      {"bytes at their offset", Bof(2, "4D5A"), "..MZ", true},
      {"bytes elsewhere", Bof(1, "4D5A"), "..MZ", false},
      {"file ends inside", Bof(2, "4D5A"), "..M", false},
      {"alternatives", Variable("(41|61)(42|62)"), "xxaBxx", true},
      {"no alternative fits", Variable("(41|61)42"), "xxabxx", false},
      {"any byte and a gap", Variable("41??{2}42"), "A.xyB", true},
      {"a ranged gap", Variable("41{1-3}42"), "AxxxB", true},
      {"a gap too wide", Variable("41{1-2}42"), "AxxxB", false},
      {"every sequence needed", Bof(0, "41") + Variable("5A5A"), "Axx", false},
      {"within the scan window", Variable("5A5A"), far.substr(0, 60000) + "ZZ",
       true},
      {"past the scan window", Variable("5A5A"), far + "ZZ", false},
  };
  for (const Row& row : rows) {
    DroidMatcher matcher;
    std::string err;
    ASSERT_TRUE(matcher.Load(Signature(row.signature), &err))
        << row.name << ": " << err;
    EXPECT_EQ(matcher.Matches(row.file), row.matches) << row.name;
  }
}

}  // namespace
}  // namespace mavoscan::export_test
