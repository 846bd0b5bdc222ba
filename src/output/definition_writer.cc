#include "output/definition_writer.h"

#include <algorithm>
#include <memory>

#include "common/program.h"
#include "common/text.h"
#include "output/output_rotation.h"

namespace mavoscan {
namespace {

// `value` as decimal digits, zero-padded to at least `width`.
std::string Padded(int value, size_t width) {
  std::string digits = std::to_string(value);
  if (value >= 0 && digits.size() < width) {
    digits.insert(0, width - digits.size(), '0');
  }
  return digits;
}

// "&", "<" and ">" would break the XML around the value, so they show as
// "." like every unprintable byte.
char DisplayChar(unsigned char byte) {
  if (byte < 32 || byte > 126 || byte == '&' || byte == '<' || byte == '>') {
    return '.';
  }
  return static_cast<char>(byte);
}

// Builds the file line by line; every line gets its TAB indentation and
// CR LF.
class Lines {
 public:
  void Add(int tabs, std::string_view text) {
    text_.append(static_cast<size_t>(tabs), '\t');
    text_.append(text);
    text_.append(kLineEnd);
  }
  void Element(int tabs, std::string_view name, std::string_view value) {
    std::string line = "<";
    line.append(name).append(">").append(value).append("</");
    line.append(name).append(">");
    Add(tabs, line);
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace

DefinitionInfo NewDefinitionInfo(const std::string& ext, int32_t file_num) {
  DefinitionInfo info;
  info.file_type = "Enter a useful file type description";
  info.ext = ext;
  info.user = "Your name for the credits!";
  info.email = "Your antispam-encoded e-mail!";
  info.home = "Your Home Page";
  info.file_num = file_num;
  return info;
}

std::string HexText(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char byte = ByteAt(bytes, i);
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

std::string DisplayText(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    text.push_back(' ');
    text.push_back(DisplayChar(ByteAt(bytes, i)));
  }
  // Trailing pairs that show only a space or a dot carry nothing readable.
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) {
    text.resize(text.size() - 2);
  }
  return text;
}

std::string WrittenString(std::string_view text) {
  std::string written(text);
  std::replace(written.begin(), written.end(), '\0', '\'');
  return written;
}

std::string RenderDefinition(const DefinitionInfo& info,
                             StringMode strings_mode,
                             const PatternList& patterns,
                             const std::vector<std::string>& strings,
                             const LocalTime& time) {
  Lines lines;
  lines.Add(0, "<Mavo ver=\"2.00\">");
  lines.Add(1, "<Info>");
  lines.Element(2, "FileType", info.file_type);
  lines.Element(2, "Ext", info.ext);
  lines.Add(2, "<ExtraInfo>");
  lines.Element(3, "Rem", info.rem);
  lines.Element(3, "RefURL", info.ref_url);
  lines.Add(2, "</ExtraInfo>");
  lines.Element(2, "User", info.user);
  lines.Element(2, "E-Mail", info.email);
  lines.Element(2, "Home", info.home);
  lines.Add(1, "</Info>");
  lines.Add(1, "<General>");
  lines.Element(2, "FileNum", std::to_string(info.file_num));
  if (!info.refine.empty()) lines.Element(2, "Refine", info.refine);
  // Strings analysed in any way are checked, and written when any are left.
  const bool check_strings = strings_mode != StringMode::kNone;
  if (check_strings) lines.Element(2, "CheckStrings", "True");
  lines.Add(2, "<Date>");
  lines.Element(3, "Year", Padded(time.year, 4));
  lines.Element(3, "Month", Padded(time.month, 2));
  lines.Element(3, "Day", Padded(time.day, 2));
  lines.Add(2, "</Date>");
  lines.Add(2, "<Time>");
  lines.Element(3, "Hour", Padded(time.hour, 2));
  lines.Element(3, "Min", Padded(time.minute, 2));
  lines.Element(3, "Sec", Padded(time.second, 2));
  lines.Add(2, "</Time>");
  lines.Element(2, "Creator", kProgramVersion);
  lines.Add(1, "</General>");
  lines.Add(1, "<FrontBlock>");
  for (const Pattern& pattern : patterns) {
    lines.Add(2, "<Pattern>");
    lines.Element(3, "Bytes", HexText(pattern.bytes));
    std::string display = DisplayText(pattern.bytes);
    if (!display.empty()) lines.Element(3, "ASCII", display);
    lines.Element(3, "Pos", std::to_string(pattern.pos));
    lines.Add(2, "</Pattern>");
  }
  lines.Add(1, "</FrontBlock>");
  if (check_strings && !strings.empty()) {
    lines.Add(1, "<GlobalStrings>");
    for (const std::string& text : strings) {
      lines.Element(2, "String", WrittenString(text));
    }
    lines.Add(1, "</GlobalStrings>");
  }
  lines.Add(0, "</Mavo>");
  return lines.Take();
}

bool WriteDefinition(Platform& platform, const OutputPlan& plan,
                     const std::string& text, Failure* failure) {
  // Every failure here has a system reason, taken before any clean-up call
  // can replace it.
  auto fail = [&] {
    *failure = {
        true, "* Error: unable to write file " + plan.output_file + "!", {}};
    AddReason(platform, failure);
    return false;
  };
  std::string temporary;
  std::unique_ptr<WritableFile> file =
      platform.CreateTemporaryBeside(plan.output_file, &temporary);
  if (file == nullptr) return fail();
  // Close flushes the bytes to the disk: only a definition that got there
  // whole may push the previous one aside.
  bool written = file->Append(text);
  if (!file->Close()) written = false;
  if (!written) {
    fail();
    platform.DeleteFile(temporary);
    return false;
  }
  std::string moved;
  if (!RotateOutput(platform, plan.refining, plan.definition_file, &moved,
                    failure)) {
    platform.DeleteFile(temporary);
    return false;
  }
  if (platform.ReplaceFile(temporary, plan.output_file)) return true;
  fail();
  platform.DeleteFile(temporary);
  if (!moved.empty() && !platform.MoveFile(kBackupFile, moved)) {
    // Where the previous file is matters more than why it stayed there.
    failure->details.insert(
        failure->details.begin(),
        "the previous " + moved + " is kept as " + kBackupFile);
  }
  return false;
}

}  // namespace mavoscan
