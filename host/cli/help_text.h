// Texts made from the commands' data: each command's --help, the tool's own
// usage, and every option as a table (the listing a manual page can be
// generated or checked from).
#pragma once

#include <cstdio>
#include <vector>

#include "host/cli/option_spec.h"

namespace quillet_host::cli {

// usage lines, the description and every option with its help, aligned.
void printCommandHelp(const CommandSpec& command, FILE* out);

// The tool's usage: every command with its summary.
void printToolUsage(const std::vector<const CommandSpec*>& commands, FILE* out);

// One line per option, tab-separated, after a header line: command, action
// ("-" for none), spellings, value ("-" for a flag), kind, what a value must
// be (as the error messages say it), repeatable, help (lines joined by spaces).
void printOptionTable(const std::vector<const CommandSpec*>& commands, FILE* out);

}  // namespace quillet_host::cli
