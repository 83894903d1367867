// quillet-host's usage texts: every sub-command explains all its options on
// --help and through "help COMMAND"; a mistake is one line that points there.
#include <algorithm>
#include <set>

#include "host_test_support.h"

namespace {

using quillet::test::runHost;

// The options a command's parser knows, each of which its help must explain.
struct CommandOptions {
  const char* command;
  std::vector<const char*> options;
};

const std::vector<CommandOptions> kCommands = {
    {"info", {"--help"}},
    {"render",
     {"-o", "--output", "--set", "--ramp", "--step", "--tempo", "--block", "--double", "--tail",
      "--tail-limit", "--rate", "--format", "--preset", "--save-preset", "--fixed-clock",
      "--help"}},
    {"preset", {"save", "show", "--set", "--help"}},
    {"validate", {"--seconds", "--seed", "--in-process", "--help"}},
    {"snapshot", {"-o", "--set", "--host-scale", "--help"}},
};

TEST(Usage, EveryCommandExplainsEachOptionOnHelp) {
  for (const CommandOptions& c : kCommands) {
    auto help = runHost({c.command, "--help"});
    EXPECT_EQ(help.status, 0) << c.command << ": " << help.err;
    EXPECT_TRUE(help.err.empty()) << c.command;
    EXPECT_EQ(help.out.rfind(std::string("usage: quillet-host ") + c.command, 0), 0u) << help.out;
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
    EXPECT_EQ(r.err.rfind("quillet-host " + args[0] + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("(see quillet-host " + args[0] + " --help)"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(quillet::test::fileExists("x.wav"));
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
    EXPECT_NE(r.err.find("(see quillet-host --help)"), std::string::npos) << r.err;
  }
}

}  // namespace

namespace {

// Every option the commands' data declares, as `help --table` lists them.
struct TableRow {
  std::string command, action, names;
};

std::vector<TableRow> optionTable() {
  const auto r = runHost({"help", "--table"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<TableRow> rows;
  size_t start = r.out.find('\n') + 1;  // after the header
  while (start < r.out.size()) {
    const size_t end = r.out.find('\n', start);
    std::vector<std::string> fields;
    size_t from = start;
    for (size_t tab; (tab = r.out.find('\t', from)) < end; from = tab + 1)
      fields.push_back(r.out.substr(from, tab - from));
    fields.push_back(r.out.substr(from, end - from));
    EXPECT_EQ(fields.size(), 8u) << r.out.substr(start, end - start);
    if (fields.size() == 8) rows.push_back({fields[0], fields[1], fields[2]});
    start = end + 1;
  }
  return rows;
}

TEST(Usage, HelpAndTheOptionTableComeFromTheSameData) {
  const std::vector<TableRow> rows = optionTable();
  std::set<std::string> declared;  // "render --output"
  for (const TableRow& row : rows) {
    const std::string help = runHost({row.command, "--help"}).out;
    EXPECT_NE(help.find("  " + row.names + " "), std::string::npos)
        << row.command << " " << row.names << ":\n"
        << help;
    for (size_t from = 0; from < row.names.size();) {
      const size_t comma = std::min(row.names.find(", ", from), row.names.size());
      declared.insert(row.command + " " + row.names.substr(from, comma - from));
      from = comma + 2;
    }
  }
  // The hand-made list above and the data agree (but for preset's actions).
  std::set<std::string> listed;
  for (const CommandOptions& c : kCommands) {
    listed.insert(std::string(c.command) + " -h");
    for (const char* option : c.options)
      if (option[0] == '-') listed.insert(std::string(c.command) + " " + option);
  }
  EXPECT_EQ(declared, listed);

  // help --all: the tool's usage, then every command's help in its order.
  auto all = runHost({"help", "--all"});
  ASSERT_EQ(all.status, 0) << all.err;
  std::string expected = runHost({"--help"}).out;
  for (const char* command : {"info", "snapshot", "render", "preset", "validate"})
    expected += "\n" + runHost({"help", command}).out;
  EXPECT_EQ(all.out, expected);
}

// One rule for every number: decimal, nothing around it, finite; whole
// numbers as digits only. The same mistake is refused wherever it is made.
TEST(Usage, NumbersFollowOneRuleEverywhere) {
  const std::vector<std::vector<std::string>> usageMistakes = {
      {"render", QTAP_PATH, "-o", "x.wav", "--block", "1e3"},
      {"render", QTAP_PATH, "-o", "x.wav", "--block", "0x100"},
      {"render", QTAP_PATH, "-o", "x.wav", "--block", "512.0"},
      {"render", QTAP_PATH, "-o", "x.wav", "--block", " 512"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tempo", " 120"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tempo", "120 "},
      {"render", QTAP_PATH, "-o", "x.wav", "--tempo", "0x78"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tempo", "inf"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tail", "nan"},
      {"render", QTAP_PATH, "-o", "x.wav", "--tail-limit", "1e999"},
      {"render", QTAP_PATH, "-o", "x.wav", "--rate", "44100.0x"},
      {"validate", QTAP_PATH, "--seconds", "inf"},
      {"validate", QTAP_PATH, "--seconds", " 3"},
      {"validate", QTAP_PATH, "--seconds", "0x3"},
      {"validate", QTAP_PATH, "--seed", "-1"},
      {"validate", QTAP_PATH, "--seed", "1e3"},
      {"validate", QTAP_PATH, "--seed", "4294967296"},
  };
  for (const auto& args : usageMistakes) {
    auto r = runHost(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << args[args.size() - 2] << " '" << args.back() << "'";
    EXPECT_NE(r.err.find(" wants "), std::string::npos) << r.err;
  }
  EXPECT_FALSE(quillet::test::fileExists("x.wav"));

  // Values after the plug-in is loaded: --set and --ramp in render, preset save and snapshot.
  quillet::test::ScratchDir dir;
  const struct {
    std::string value;
    std::string message;
  } values[] = {{" 0.5", "value for Delay is not a number: ' 0.5'"},
                {"0.5 ", "value for Delay is not a number: '0.5 '"},
                {"0x0.8p0", "value for Delay is not a number: '0x0.8p0'"},
                {"inf", "value for Delay is out of 0..1: inf"},
                {"nan", "value for Delay is out of 0..1: nan"}};
  for (const auto& v : values) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"render", QTAP_PATH, "-o", dir.file("x.wav"), "--set", "Delay=" + v.value},
             {"render", QTAP_PATH, "-o", dir.file("x.wav"), "--ramp",
              "Delay=" + v.value + ":1@0:1"},
             {"preset", "save", QTAP_PATH, dir.file("x.fxp"), "--set", "Delay=" + v.value},
             {"snapshot", QTAP_PATH, "-o", dir.file("x.png"), "--set", "Delay=" + v.value}}) {
      auto r = runHost(args);
      EXPECT_EQ(r.status, 1) << args[0] << " '" << v.value << "'";
      EXPECT_EQ(r.err, "quillet-host: " + v.message + "\n") << args[0];
    }
  }
  auto r = runHost({"render", QTAP_PATH, "-o", dir.file("x.wav"), "--ramp", "Delay=0:1@ 0:1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--ramp times must be seconds"), std::string::npos) << r.err;
  EXPECT_TRUE(dir.list().empty());

  // What the rule takes: signs, fractions, exponents, leading zeros.
  r = runHost({"render", TEST_PLUGIN_GOOD, "-o", dir.file("x.wav"), "--block", "+0256", "--tempo",
               "1.2e2", "--tail", "5e-1", "--rate", "8e3", "--set", "Gain=.5", "--ramp",
               "Tone=0:1e0@0:+.1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(", 8000 Hz, 2 ch,"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("| tail 0.50 s |"), std::string::npos) << r.out;
}

}  // namespace
