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
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  const std::string word = argv[1];
  if (word == "-h" || word == "--help" || word == "help") {
    printUsage(stdout);
    return 0;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const Subcommand& s : kSubcommands) {
    if (word != s.word) continue;
    try {
      return s.run(args);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "vst2-host: out of memory\n");
    } catch (const std::exception& e) {
      std::fprintf(stderr, "vst2-host: %s\n", e.what());
    }
    return 1;
  }
  std::fprintf(stderr, "vst2-host: unknown command '%s' (try vst2-host --help)\n", word.c_str());
  return 2;
}
