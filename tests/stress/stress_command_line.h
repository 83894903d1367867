// The stress hosts' command line, `PROGRAM MODULE SECONDS [OPTION]`, read by
// the command-line library from each host's own table; SECONDS is a number
// above 0 by the library's number rule.
#pragma once

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/number_text.h"

namespace quillet::test {

// cli::kRunCommand with `line` and `seconds` filled in, or the status to exit
// with (after --help, or a usage mistake on standard error).
inline int readStressLine(const cli::CommandSpec& command, int argc, char** argv,
                          cli::CommandLine* line, double* seconds) {
  const int status =
      cli::readCommandLine(command, std::vector<std::string>(argv + 1, argv + argc), line);
  if (status != cli::kRunCommand) return status;
  const std::string& given = line->positionals()[1];
  if (cli::readNumber(given, seconds) != cli::NumberText::kNumber || *seconds <= 0)
    return cli::usageError(command, "SECONDS wants seconds above 0, got '" + given + "'");
  return cli::kRunCommand;
}

}  // namespace quillet::test
