#include "cli/command_line.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "cli/help_text.h"
#include "cli/number_text.h"

namespace quillet::cli {

namespace {

bool asksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "-h" || a == "--help") return true;
  return false;
}

// "--state=FILE": the option's spelling and its value.
struct Word {
  std::string name;
  std::string value;
  bool hasValue = false;
};

Word split(const std::string& arg) {
  const size_t eq = arg.find('=');
  if (arg.rfind("--", 0) != 0 || eq == std::string::npos) return {arg, "", false};
  return {arg.substr(0, eq), arg.substr(eq + 1), true};
}

const OptionSpec* findOption(const FormSpec& form, const std::string& word, size_t* index) {
  for (size_t i = 0; i < form.options.size(); ++i) {
    for (const std::string& name : spellings(form.options[i])) {
      if (name == word) {
        *index = i;
        return &form.options[i];
      }
    }
  }
  return nullptr;
}

// The value of a number option, checked against its data.
bool readValue(const OptionSpec& option, const std::string& text, double* value) {
  if (option.word && text == option.word) return true;
  double v = 0.0;
  const NumberText read =
      option.kind == ValueKind::kWholeNumber ? readWholeNumber(text, &v) : readNumber(text, &v);
  if (read != NumberText::kNumber) return false;
  if (v > option.max || v < option.min || (option.aboveMin && v <= option.min)) return false;
  *value = v;
  return true;
}

}  // namespace

int usageError(const CommandSpec& command, const std::string& message) {
  const std::string name = invocation(command);
  std::fprintf(stderr, "%s: %s (see %s --help)\n", name.c_str(), message.c_str(), name.c_str());
  return command.mistakeStatus;
}

int readCommandLine(const CommandSpec& command, const std::vector<std::string>& args,
                    CommandLine* line) {
  if (asksForHelp(args)) {
    printCommandHelp(command, stdout);
    return 0;
  }
  size_t first = 0;
  line->chosen = &command.forms.at(0);
  if (command.forms.size() > 1) {
    if (args.empty()) return usageError(command, command.noAction ? command.noAction : "");
    line->chosen = nullptr;
    for (const FormSpec& form : command.forms)
      if (form.action && args[0] == form.action) line->chosen = &form;
    if (!line->chosen)
      return usageError(command,
                        "unknown " + std::string(command.word) + " command '" + args[0] + "'");
    first = 1;
  }
  const FormSpec& form = *line->chosen;
  line->given.clear();
  line->values.assign(form.options.size(), CommandLine::Values{});
  for (size_t i = first; i < args.size(); ++i) {
    const Word word = split(args[i]);
    const std::string& a = word.name;
    size_t index = 0;
    const OptionSpec* option = findOption(form, a, &index);
    if (!option) {
      if (a.size() > 1 && a[0] == '-') return usageError(command, "unknown option " + a);
      if (form.positionals.max == 0)
        return usageError(command, "unexpected argument '" + args[i] + "'");
      line->given.push_back(args[i]);
      continue;
    }
    CommandLine::Values& values = line->values[index];
    if (!option->repeatable) values.texts.clear();
    if (option->kind == ValueKind::kFlag) {
      if (word.hasValue) return usageError(command, a + " takes no value");
      values.texts.emplace_back();
      continue;
    }
    std::string value = word.value;
    if (!word.hasValue && i + 1 < args.size()) value = args[++i];
    if (value.empty()) return usageError(command, a + " needs " + wanted(*option));
    if (option->kind != ValueKind::kText && !readValue(*option, value, &values.lastNumber))
      return usageError(command, a + " wants " + wanted(*option));
    values.texts.push_back(value);
  }
  const PositionalSpec& positionals = form.positionals;
  if (line->given.size() < positionals.min) return usageError(command, positionals.tooFew);
  if (line->given.size() > positionals.max) return usageError(command, positionals.tooMany);
  for (size_t i = 0; i < form.options.size(); ++i)
    if (form.options[i].whenMissing && line->values[i].texts.empty())
      return usageError(command, form.options[i].whenMissing);
  return kRunCommand;
}

size_t CommandLine::indexOf(const OptionSpec& option) const {
  if (chosen)
    for (size_t i = 0; i < chosen->options.size(); ++i)
      if (std::strcmp(chosen->options[i].names, option.names) == 0) return i;
  throw std::logic_error(std::string("the command line has no option ") + option.names);
}

bool CommandLine::has(const OptionSpec& option) const {
  return !values[indexOf(option)].texts.empty();
}

std::string CommandLine::text(const OptionSpec& option, const std::string& fallback) const {
  const std::vector<std::string>& all = values[indexOf(option)].texts;
  return all.empty() ? fallback : all.back();
}

double CommandLine::number(const OptionSpec& option, double fallback) const {
  const Values& v = values[indexOf(option)];
  return v.texts.empty() || isWord(option) ? fallback : v.lastNumber;
}

bool CommandLine::isWord(const OptionSpec& option) const {
  const size_t index = indexOf(option);
  const char* word = chosen->options[index].word;
  const std::vector<std::string>& all = values[index].texts;
  return word && !all.empty() && all.back() == word;
}

const std::vector<std::string>& CommandLine::texts(const OptionSpec& option) const {
  return values[indexOf(option)].texts;
}

}  // namespace quillet::cli
