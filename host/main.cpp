// vst2-host: loads VST 2.4 plug-ins as a DAW does, to inspect, render and check them.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#define SUBCOMMAND(word, function, summary) int function(const std::vector<std::string>& args);
#include "host/command_list.h"
#undef SUBCOMMAND

namespace {

struct Subcommand {
  const char* word;
  int (*run)(const std::vector<std::string>& args);
  const char* summary;
};

const Subcommand kSubcommands[] = {
#define SUBCOMMAND(word, function, summary) {word, function, summary},
#include "host/command_list.h"
#undef SUBCOMMAND
};

void printUsage(FILE* out) {
  std::fprintf(out, "usage: vst2-host COMMAND [ARGS...]\n\ncommands:\n");
  for (const Subcommand& s : kSubcommands) std::fprintf(out, "  %-9s %s\n", s.word, s.summary);
  std::fprintf(out,
               "\nvst2-host COMMAND --help or vst2-host help COMMAND explains a command's "
               "options.\n");
}

const Subcommand* find(const std::string& word) {
  for (const Subcommand& s : kSubcommands)
    if (word == s.word) return &s;
  return nullptr;
}

int unknown(const std::string& word) {
  std::fprintf(stderr, "vst2-host: unknown command '%s' (see vst2-host --help)\n", word.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "vst2-host: no command given (see vst2-host --help)\n");
    return 2;
  }
  const std::string word = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (word == "-h" || word == "--help" || (word == "help" && args.empty())) {
    printUsage(stdout);
    return 0;
  }
  const Subcommand* command = find(word == "help" ? args[0] : word);
  if (!command) return unknown(word == "help" ? args[0] : word);
  if (word == "help") args = {"--help"};
  try {
    return command->run(args);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "vst2-host: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vst2-host: %s\n", e.what());
  }
  return 1;
}
