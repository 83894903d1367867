// A command line as data: a program's or a sub-command's forms, their
// positional arguments and options. The same data drives the parser
// (command_line.h), --help, and the listing a manual page is written or
// checked from (help_text.h), so none of them can drift from the others.
// Ranges and defaults are data too: --help prints them from the constants
// an option is declared with.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillet::cli {

enum class ValueKind {
  kFlag,         // takes no value
  kText,         // any text (a file name, NAME=VALUE)
  kNumber,       // a number by the rule of number_text.h, within a range
  kWholeNumber,  // a whole number by the same rule, within a range
};

struct OptionSpec {
  const char* names = "";       // every spelling, comma-separated: "-o, --output"
  const char* value = nullptr;  // what follows it in --help: "FILE"; none for a flag
  const char* help = "";        // its lines in --help, separated by '\n'
  ValueKind kind = ValueKind::kFlag;
  const char* noun = nullptr;  // "a file name", "seconds": what an error says it wants
  double min = 0.0;            // numbers: the range, both ends included...
  double max = 0.0;
  bool aboveMin = false;              // ...unless the lower end is excluded
  bool hasDefault = false;            // numbers: what is taken when not given,
  double defaultValue = 0.0;          // for --help to say
  const char* word = nullptr;         // a word taken instead of a number ("auto")
  bool repeatable = false;            // otherwise the last one given counts
  const char* whenMissing = nullptr;  // required: the message when it is not given

  constexpr OptionSpec andRepeatable() const {
    OptionSpec o = *this;
    o.repeatable = true;
    return o;
  }
  constexpr OptionSpec aboveMinimum() const {
    OptionSpec o = *this;
    o.aboveMin = true;
    return o;
  }
  constexpr OptionSpec byDefault(double v) const {
    OptionSpec o = *this;
    o.hasDefault = true;
    o.defaultValue = v;
    return o;
  }
  constexpr OptionSpec orWord(const char* w) const {
    OptionSpec o = *this;
    o.word = w;
    return o;
  }
  constexpr OptionSpec required(const char* message) const {
    OptionSpec o = *this;
    o.whenMissing = message;
    return o;
  }
};

constexpr OptionSpec flag(const char* names, const char* help) {
  OptionSpec o;
  o.names = names;
  o.help = help;
  return o;
}

constexpr OptionSpec text(const char* names, const char* value, const char* noun,
                          const char* help) {
  OptionSpec o = flag(names, help);
  o.value = value;
  o.kind = ValueKind::kText;
  o.noun = noun;
  return o;
}

constexpr OptionSpec number(const char* names, const char* value, const char* noun, double min,
                            double max, const char* help) {
  OptionSpec o = text(names, value, noun, help);
  o.kind = ValueKind::kNumber;
  o.min = min;
  o.max = max;
  return o;
}

constexpr OptionSpec wholeNumber(const char* names, const char* value, const char* noun, double min,
                                 double max, const char* help) {
  OptionSpec o = number(names, value, noun, min, max, help);
  o.kind = ValueKind::kWholeNumber;
  return o;
}

// How many positional arguments a form takes, and what a mistake says.
struct PositionalSpec {
  size_t min = 0;
  size_t max = 0;
  const char* tooFew = "";
  const char* tooMany = "";
};

constexpr size_t kAnyNumber = ~size_t{0};

// One way to call a command: `quillet-host preset save ...` and `... show ...`
// are two forms of "preset"; most commands have one. A form that takes no
// positional arguments names the first one given as unexpected.
struct FormSpec {
  const char* action = nullptr;  // the word after the command, for commands with several forms
  const char* synopsis = "";     // after "quillet-host COMMAND [ACTION] " on the usage line
  const char* description = "";  // lines separated by '\n'
  PositionalSpec positionals;
  std::vector<OptionSpec> options;
};

// A program's own command line (quillet-k3), or one sub-command of a program
// that has several (quillet-host render).
struct CommandSpec {
  const char* program = "";    // "quillet-host"
  const char* word = nullptr;  // "render" after it; none for the program's own line
  const char* summary = "";    // its line in the program's list of sub-commands
  int (*run)(const std::vector<std::string>& args) = nullptr;
  std::vector<FormSpec> forms;
  const char* noAction = nullptr;  // several forms: the message when no action is given
  int mistakeStatus = 2;           // the exit status of a usage mistake
  std::string notes = "";          // --help's lines after the options, '\n'-separated
};

// How the command's line starts: "quillet-host render", "quillet-k3".
std::string invocation(const CommandSpec& command);

// Every option's spellings: "-o, --output" -> {"-o", "--output"}.
std::vector<std::string> spellings(const OptionSpec& option);

// "a whole number from 1 to 8192", "auto or seconds from 0 to 3600": what an
// option's error message says it wants, from its data.
std::string wanted(const OptionSpec& option);

// What --help adds to a number option's help: "(1 to 8192, default 512)",
// "(above 0, up to 999, default 120)"; empty for other options.
std::string rangeAndDefault(const OptionSpec& option);

}  // namespace quillet::cli
