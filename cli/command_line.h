// Reads a command line by its data (option_spec.h): the form, the positional
// arguments and every option's values, each checked as the data says. A
// value follows its option as the next argument or, for a long option, after
// '=' ("--state=FILE"); an empty one counts as none. A mistake is one line on
// standard error pointing to --help.
#pragma once

#include <string>
#include <vector>

#include "cli/option_spec.h"

namespace quillet::cli {

// What the command line said, checked. Options are looked up by the data
// that declares them (each command names its options as constants, so a
// misspelt one does not build); asking for one the chosen form does not
// declare is a mistake in the program and throws std::logic_error.
class CommandLine {
 public:
  const FormSpec& form() const { return *chosen; }
  const std::vector<std::string>& positionals() const { return given; }
  bool has(const OptionSpec& option) const;
  // The last value given, or `fallback`.
  std::string text(const OptionSpec& option, const std::string& fallback = "") const;
  double number(const OptionSpec& option, double fallback) const;
  // True when the option was given its word ("--tail auto") last.
  bool isWord(const OptionSpec& option) const;
  // Every value of a repeatable option, in order.
  const std::vector<std::string>& texts(const OptionSpec& option) const;

 private:
  friend int readCommandLine(const CommandSpec&, const std::vector<std::string>&, CommandLine*);
  struct Values {
    std::vector<std::string> texts;
    double lastNumber = 0.0;
  };
  size_t indexOf(const OptionSpec& option) const;

  const FormSpec* chosen = nullptr;
  std::vector<std::string> given;
  std::vector<Values> values;  // one per option of the form
};

constexpr int kRunCommand = -1;

// kRunCommand when the command is to run with `line` filled in; otherwise
// the status to exit with: 0 after printing the help that -h or --help (given
// anywhere) asks for, the command's mistakeStatus after a one-line usage
// mistake.
int readCommandLine(const CommandSpec& command, const std::vector<std::string>& args,
                    CommandLine* line);

// "quillet-host render: MESSAGE (see quillet-host render --help)" on standard
// error; returns the command's mistakeStatus.
int usageError(const CommandSpec& command, const std::string& message);

}  // namespace quillet::cli
