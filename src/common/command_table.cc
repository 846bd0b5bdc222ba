#include "common/command_table.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace mavoscan {
namespace {

const OptionSpec* FindOption(const Subcommand& command, std::string_view name) {
  for (const OptionSpec& entry : command.options) {
    if (entry.name == name) return &entry;
  }
  for (const OptionSpec& entry : CommonOptions()) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

bool ParseNumber(std::string_view text, uint64_t* value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
  return !text.empty() && ec == std::errc() && ptr == end;
}

std::string NumberRange(const OptionSpec& entry) {
  if (entry.max == UINT64_MAX) {
    return "a whole number of " + std::to_string(entry.min) + " or more";
  }
  return "a number from " + std::to_string(entry.min) + " to " +
         std::to_string(entry.max);
}

std::string NameWithValue(const OptionSpec& entry) {
  std::string text(entry.name);
  if (!entry.value_name.empty()) text += " " + std::string(entry.value_name);
  return text;
}

}  // namespace

CommandOutcome ErrorOutcome(std::string error) {
  CommandOutcome outcome;
  outcome.exit_code = 2;
  outcome.error = std::move(error);
  return outcome;
}

const std::vector<OptionSpec>& CommonOptions() {
  static const std::vector<OptionSpec> kCommon = {
      {"--json", OptionKind::kFlag, "", "write the report as JSON"},
      {"--help", OptionKind::kFlag, "", "show this text (also -h)"},
      {"--version", OptionKind::kFlag, "", "show the version"},
  };
  return kCommon;
}

bool ParsedCommand::Has(std::string_view option) const {
  return values_.find(option) != values_.end();
}

std::string ParsedCommand::Text(std::string_view option) const {
  const auto it = values_.find(option);
  return it == values_.end() || it->second.empty() ? std::string()
                                                   : it->second.back();
}

std::vector<std::string> ParsedCommand::Texts(std::string_view option) const {
  const auto it = values_.find(option);
  return it == values_.end() ? std::vector<std::string>() : it->second;
}

uint64_t ParsedCommand::Number(std::string_view option,
                               uint64_t fallback) const {
  const auto it = values_.find(option);
  uint64_t value = fallback;
  if (it != values_.end() && !it->second.empty()) {
    ParseNumber(it->second.back(), &value);
  }
  return value;
}

bool ParseCommand(const Subcommand& command,
                  const std::vector<std::string>& arguments,
                  ParsedCommand* parsed, std::string* err) {
  *parsed = ParsedCommand();
  bool options_ended = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (options_ended || argument.size() < 2 || argument[0] != '-') {
      if (argument.empty()) {
        *err = "an argument is empty";
        return false;
      }
      parsed->operands_.push_back(std::move(argument));
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    if (argument == "-h") argument = "--help";
    std::string value;
    bool has_value = false;
    if (const size_t equals = argument.find('=');
        argument.starts_with("--") && equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      has_value = true;
    }
    const OptionSpec* entry = FindOption(command, argument);
    if (entry == nullptr) {
      *err = argument + " is not an option of " + std::string(command.name);
      return false;
    }
    if (entry->kind == OptionKind::kFlag) {
      if (has_value) {
        *err = argument + " takes no value";
        return false;
      }
      parsed->values_[argument];
      continue;
    }
    const std::string needs = entry->kind == OptionKind::kNumber
                                  ? argument + " needs a number after it"
                                  : argument + " needs " +
                                        std::string(entry->value_name) +
                                        " after it";
    if (!has_value) {
      if (i + 1 == arguments.size()) {
        *err = needs;
        return false;
      }
      value = arguments[++i];
    }
    if (value.empty()) {
      *err = needs;
      return false;
    }
    if (entry->kind == OptionKind::kNumber) {
      uint64_t number = 0;
      if (!ParseNumber(value, &number) || number < entry->min ||
          number > entry->max) {
        *err = argument + " takes " + NumberRange(*entry);
        return false;
      }
    }
    std::vector<std::string>& values = parsed->values_[argument];
    if (entry->kind != OptionKind::kTexts) values.clear();
    values.push_back(std::move(value));
  }
  return !command.check || command.check(*parsed, err);
}

std::string UsageLine(std::string_view program, const Subcommand& command) {
  std::string line = std::string(program) + " " + std::string(command.name);
  if (!command.operands.empty()) line += " " + std::string(command.operands);
  for (const OptionSpec& entry : command.options) {
    line += " [" + NameWithValue(entry) + "]";
    if (entry.kind == OptionKind::kTexts) line += "...";
  }
  return line + " [--json]";
}

std::string OptionLines(const std::vector<OptionSpec>& options) {
  size_t width = 14;
  for (const OptionSpec& entry : options) {
    width = std::max(width, NameWithValue(entry).size() + 2);
  }
  std::string text;
  for (const OptionSpec& entry : options) {
    std::string name = NameWithValue(entry);
    name.resize(width, ' ');
    text += "  " + name;
    // A help text may run over several lines; each further one is indented
    // under the first.
    std::string_view help = entry.help;
    for (size_t line_end; (line_end = help.find('\n')) != help.npos;
         help.remove_prefix(line_end + 1)) {
      text += std::string(help.substr(0, line_end)) + "\n" +
              std::string(width + 2, ' ');
    }
    text += std::string(help) + "\n";
  }
  return text;
}

}  // namespace mavoscan
