// Texts made from the commands' data: a command's --help, a program's list
// of sub-commands, and every option as a table (the listing a manual page
// can be generated or checked from).
#pragma once

#include <cstdio>
#include <vector>

#include "cli/option_spec.h"

namespace quillet::cli {

// The usage lines, the description, every option with its help (a number's
// range and default after it), aligned, then the notes.
void printCommandHelp(const CommandSpec& command, FILE* out);

// One line per option, tab-separated, after a header line: command, action
// ("-" for none), spellings, value ("-" for a flag), kind, what a value must
// be (as the error messages say it), repeatable, help (lines joined by spaces,
// as --help shows them).
void printOptionTable(const std::vector<const CommandSpec*>& commands, FILE* out);

}  // namespace quillet::cli
