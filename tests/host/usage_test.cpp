// vst2-host's usage texts: every sub-command explains all its options on
// --help and through "help COMMAND"; a mistake is one line that points there.
#include <algorithm>
#include <set>

#include "host_test_support.h"

namespace {

using hosttest::runHost;

// The options a command's parser knows, each of which its help must explain.
struct CommandOptions {
  const char* command;
  std::vector<const char*> options;
};

const std::vector<CommandOptions> kCommands = {
    {"info", {"--help"}},
    {"render",
     {"-o", "--output", "--set", "--ramp", "--tempo", "--block", "--double", "--tail",
      "--tail-limit", "--rate", "--format", "--preset", "--save-preset", "--fixed-clock",
      "--help"}},
    {"preset", {"save", "show", "--set", "--help"}},
    {"validate", {"--seconds", "--seed", "--in-process", "--help"}},
    {"snapshot", {"-o", "--set", "--help"}},
};

TEST(Usage, EveryCommandExplainsEachOptionOnHelp) {
  for (const CommandOptions& c : kCommands) {
    auto help = runHost({c.command, "--help"});
    EXPECT_EQ(help.status, 0) << c.command << ": " << help.err;
    EXPECT_TRUE(help.err.empty()) << c.command;
    EXPECT_EQ(help.out.rfind(std::string("usage: vst2-host ") + c.command, 0), 0u) << help.out;
    for (const char* option : c.options)
      EXPECT_NE(help.out.find(std::string(" ") + option), std::string::npos)
          << c.command << " does not explain " << option << ":\n"
          << help.out;
    // The same text both ways, and after other arguments too.
    EXPECT_EQ(runHost({"help", c.command}).out, help.out) << c.command;
    EXPECT_EQ(runHost({c.command, "x.so", "-h"}).out, help.out) << c.command;
  }
}

TEST(Usage, MistakesAreOneLinePointingToHelp) {
  const std::vector<std::vector<std::string>> mistakes = {
      {"info"},
      {"info", "a.so", "b.so"},
      {"info", "--bogus"},
      {"render", QTAP_PATH, "--bogus", "-o", "x.wav"},
      {"render", QTAP_PATH},
      {"render", QTAP_PATH, "-o", "x.wav", "--tail", "forever"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tail-limit", "0"},
      {"preset"},
      {"preset", "load"},
      {"preset", "show"},
      {"preset", "save", QTAP_PATH},
      {"validate"},
      {"validate", QTAP_PATH, "--seed"},
      {"snapshot", QTAP_PATH},
      {"snapshot", QTAP_PATH, "-o", "x.png", "--bogus"},
  };
  for (const auto& args : mistakes) {
    auto r = runHost(args);
    const std::string what = args[0] + (args.size() > 1 ? " " + args.back() : "");
    EXPECT_EQ(r.status, 2) << what << ": " << r.err;
    EXPECT_TRUE(r.out.empty()) << what;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("vst2-host " + args[0] + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("(see vst2-host " + args[0] + " --help)"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(hosttest::fileExists("x.wav"));
}

TEST(Usage, TheToolItself) {
  auto r = runHost({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const CommandOptions& c : kCommands)
    EXPECT_NE(r.out.find(std::string("  ") + c.command + " "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("help COMMAND"), std::string::npos);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{}, {"frobnicate"}, {"help", "frobnicate"}}) {
    r = runHost(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("(see vst2-host --help)"), std::string::npos) << r.err;
  }
}

}  // namespace
