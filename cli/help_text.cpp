#include "cli/help_text.h"

#include <algorithm>
#include <string>

namespace quillet::cli {

namespace {

// Every command has it; the parser answers it before anything else.
const OptionSpec kHelpOption = flag("-h, --help", "this text");

// Help lines longer than this get the range and default on a line of their own.
constexpr size_t kHelpWidth = 80;

std::vector<std::string> linesOf(const std::string& all) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    lines.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The option's help as --help prints it, starting at `column`: its own
// lines, then its range and default.
std::vector<std::string> helpLines(const OptionSpec& option, size_t column) {
  std::vector<std::string> lines = linesOf(option.help);
  const std::string range = rangeAndDefault(option);
  if (range.empty()) return lines;
  if (!lines.empty() && column + lines.back().size() + 1 + range.size() <= kHelpWidth)
    lines.back() += " " + range;
  else
    lines.push_back(range);
  return lines;
}

std::string heading(const OptionSpec& option) {
  return option.value ? std::string(option.names) + " " + option.value : option.names;
}

void printOption(const OptionSpec& option, size_t column, FILE* out) {
  const std::vector<std::string> lines = helpLines(option, column);
  std::fprintf(out, "  %-*s%s\n", static_cast<int>(column - 2), heading(option).c_str(),
               lines.empty() ? "" : lines[0].c_str());
  for (size_t i = 1; i < lines.size(); ++i)
    std::fprintf(out, "%*s%s\n", static_cast<int>(column), "", lines[i].c_str());
}

// Text lines after `lead` ("save  "), the rest indented below it.
void printIndented(const std::string& lead, const std::string& text, FILE* out) {
  const std::vector<std::string> lines = linesOf(text);
  for (size_t i = 0; i < lines.size(); ++i)
    std::fprintf(out, "%s%s\n", i == 0 ? lead.c_str() : std::string(lead.size(), ' ').c_str(),
                 lines[i].c_str());
}

const char* kindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::kFlag:
      return "flag";
    case ValueKind::kText:
      return "text";
    case ValueKind::kNumber:
      return "number";
    case ValueKind::kWholeNumber:
      return "whole number";
  }
  return "?";
}

void printTableRow(const CommandSpec& command, const FormSpec* form, const OptionSpec& option,
                   FILE* out) {
  std::string help;
  for (const std::string& line : helpLines(option, 0)) help += (help.empty() ? "" : " ") + line;
  std::fprintf(out, "%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", command.word ? command.word : "-",
               form && form->action ? form->action : "-", option.names,
               option.value ? option.value : "-", kindName(option.kind),
               option.kind == ValueKind::kFlag ? "-" : wanted(option).c_str(),
               option.repeatable ? "yes" : "no", help.c_str());
}

}  // namespace

void printCommandHelp(const CommandSpec& command, FILE* out) {
  size_t width = heading(kHelpOption).size();
  for (const FormSpec& form : command.forms)
    for (const OptionSpec& option : form.options) width = std::max(width, heading(option).size());
  const size_t column = 2 + width + 2;
  const std::string name = invocation(command);
  for (size_t i = 0; i < command.forms.size(); ++i) {
    const FormSpec& form = command.forms[i];
    std::fprintf(out, "%s %s %s%s%s\n", i == 0 ? "usage:" : "      ", name.c_str(),
                 form.action ? form.action : "", form.action ? " " : "", form.synopsis);
  }
  for (const FormSpec& form : command.forms) {
    printIndented(form.action ? std::string(form.action) + "  " : "", form.description, out);
    for (const OptionSpec& option : form.options) printOption(option, column, out);
  }
  printOption(kHelpOption, column, out);
  printIndented("", command.notes, out);
}

void printOptionTable(const std::vector<const CommandSpec*>& commands, FILE* out) {
  std::fprintf(out, "command\taction\toption\tvalue\tkind\twants\trepeatable\thelp\n");
  for (const CommandSpec* c : commands) {
    for (const FormSpec& form : c->forms)
      for (const OptionSpec& option : form.options) printTableRow(*c, &form, option, out);
    printTableRow(*c, nullptr, kHelpOption, out);
  }
}

}  // namespace quillet::cli
