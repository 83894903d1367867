// The command line of quillet-k3, and the values it starts on: presets by
// name or symbol, --set as quillet-host takes it, all checked before any is
// stored.
#include "standalone/options.h"

#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "core/factory_presets.h"
#include "standalone/program.h"
#include "standalone/starting_values.h"

namespace {

using quillet::standalone::Options;

struct Read {
  int status;
  std::string out, err;
};

Read read(const std::vector<std::string>& args, Options* options) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = quillet::standalone::readOptions(args, options);
  Read r{status, "", ""};
  r.out = testing::internal::GetCapturedStdout();
  r.err = testing::internal::GetCapturedStderr();
  return r;
}

TEST(Options, EveryOptionInBothSpellings) {
  Options o;
  const Read r = read({"--connect", "--no-gui", "--wait-for-server", "--preset", "Slapback",
                       "--set", "Delay=0.3", "--set=Repeat=0.5", "--state=/tmp/x"},
                      &o);
  ASSERT_EQ(r.status, quillet::cli::kRunCommand) << r.err;
  EXPECT_TRUE(o.connect && o.noGui && o.waitForServer);
  EXPECT_FALSE(o.version);
  EXPECT_EQ(o.preset, "Slapback");
  EXPECT_EQ(o.sets, (std::vector<std::string>{"Delay=0.3", "Repeat=0.5"}));
  EXPECT_EQ(o.stateFile, "/tmp/x");
  Options v;
  EXPECT_EQ(read({"--version"}, &v).status, quillet::cli::kRunCommand);
  EXPECT_TRUE(v.version);
}

// Status 1, as a state file that is not one: the program has one status for
// "nothing was run".
TEST(Options, RefusesWhatIsNotOursInOneLine) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {{{"--bogus"}, "unknown option --bogus"},
               {{"render"}, "unexpected argument 'render'"},
               {{"--set"}, "--set needs NAME=VALUE"},
               {{"--state="}, "--state needs a file name"},
               {{"--preset", ""}, "--preset needs a preset's name or symbol"},
               {{"--connect=yes"}, "--connect takes no value"}};
  for (const auto& c : cases) {
    Options o;
    const Read r = read(c.args, &o);
    EXPECT_EQ(r.status, quillet::standalone::kExitProblem) << c.error;
    EXPECT_EQ(r.err, std::string("quillet-k3: ") + c.error + " (see quillet-k3 --help)\n");
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(Options, HelpAnywhereFitsATerminal) {
  Options o;
  const Read r = read({"--bogus", "-h"}, &o);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.err.empty());
  EXPECT_EQ(r.out.rfind("usage: quillet-k3 [options]\n", 0), 0u) << r.out;
  for (size_t start = 0, end; start < r.out.size(); start = end + 1) {
    end = r.out.find('\n', start);
    EXPECT_LE(end - start, 80u) << r.out.substr(start, end - start);
  }
  // After the options: what the signals do, and the lists --preset and --set
  // refer to, one preset a line.
  EXPECT_NE(r.out.find(" this text\nSignals:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Parameters: Delay, Repeat, "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  dub_throw                 Dub Throw\n"), std::string::npos) << r.out;
}

TEST(StartingValues, PresetsByNameOrSymbolInAnyCase) {
  using quillet::standalone::findPreset;
  EXPECT_EQ(findPreset("Dub Throw"), &quillet::core::kFactoryPresets[5]);
  EXPECT_EQ(findPreset("dub_throw"), &quillet::core::kFactoryPresets[5]);
  EXPECT_EQ(findPreset("DUB THROW"), &quillet::core::kFactoryPresets[5]);
  EXPECT_EQ(findPreset("Dub_Throw"), &quillet::core::kFactoryPresets[5]);
  EXPECT_EQ(findPreset("Dub"), nullptr);
  EXPECT_EQ(findPreset(""), nullptr);
}

TEST(StartingValues, ThePresetThenEachSetting) {
  quillet::core::EchoCore core;
  std::string error;
  ASSERT_TRUE(quillet::standalone::applyPresetAndSets(
      core, "mono_room", {"Repeat=0.5", "x-feed=0.25", "0=0.125", "Repeat=0.75"}, &error))
      << error;
  const quillet::core::FactoryPreset& room = *quillet::standalone::findPreset("Mono Room");
  for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i) {
    float want = room.values[i];
    if (i == quillet::engine::kParamRepeat) want = 0.75f;  // the last setting wins
    if (i == quillet::engine::kParamXFeed) want = 0.25f;
    if (i == quillet::engine::kParamDelay) want = 0.125f;
    EXPECT_EQ(core.parameter(i), want) << quillet::core::kQuilletParams[i].name;
  }
}

TEST(StartingValues, NothingIsStoredWhenAnythingIsWrong) {
  for (const auto& [preset, sets, message] :
       {std::tuple<std::string, std::vector<std::string>, std::string>{
            "Warp", {}, "unknown preset 'Warp' (quillet-k3 --help lists them)"},
        {"slapback",
         {"Repeat=0.5", "Tone=1"},
         "unknown parameter 'Tone' (quillet-k3 --help lists them)"},
        {"", {"Level=2"}, "value for Level is out of 0..1: 2"},
        {"", {"11=0"}, "parameter index 11 is out of range (the plug-in has 11 parameters)"}}) {
    quillet::core::EchoCore core;
    std::string error;
    EXPECT_FALSE(quillet::standalone::applyPresetAndSets(core, preset, sets, &error));
    EXPECT_EQ(error, message);
    for (int32_t i = 0; i < quillet::core::kNumQuilletParams; ++i)
      EXPECT_EQ(core.parameter(i), quillet::core::kQuilletParams[i].defaultValue) << message;
  }
}

}  // namespace
