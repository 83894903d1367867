// The command line of quillet-k3, and the values it starts on: presets by
// name or symbol, --set as quillet-host takes it, all checked before any is
// stored.
#include "standalone/options.h"

#include <gtest/gtest.h>

#include "core/factory_presets.h"
#include "standalone/starting_values.h"

namespace {

using quillet_standalone::Options;

bool parse(std::vector<std::string> args, Options* options, std::string* error) {
  return quillet_standalone::parseOptions(args, options, error);
}

TEST(Options, EveryOptionInBothSpellings) {
  Options o;
  std::string error;
  ASSERT_TRUE(parse({"--connect", "--no-gui", "--wait-for-server", "--preset", "Slapback", "--set",
                     "Delay=0.3", "--set=Repeat=0.5", "--state=/tmp/x"},
                    &o, &error))
      << error;
  EXPECT_TRUE(o.connect && o.noGui && o.waitForServer);
  EXPECT_FALSE(o.help || o.version);
  EXPECT_EQ(o.preset, "Slapback");
  EXPECT_EQ(o.sets, (std::vector<std::string>{"Delay=0.3", "Repeat=0.5"}));
  EXPECT_EQ(o.stateFile, "/tmp/x");
  Options h;
  EXPECT_TRUE(parse({"-h"}, &h, &error) && h.help);
}

TEST(Options, RefusesWhatIsNotOurs) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {{{"--bogus"}, "unknown option --bogus"},
               {{"render"}, "unexpected argument 'render'"},
               {{"--set"}, "--set wants a value"},
               {{"--state="}, "--state wants a value"},
               {{"--connect=yes"}, "--connect takes no value"},
               {{"--preset", "a", "--preset", "b"}, "--preset is given twice"},
               {{"--state", "a", "--state=b"}, "--state is given twice"}};
  for (const auto& c : cases) {
    Options o;
    std::string error;
    EXPECT_FALSE(parse(c.args, &o, &error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

TEST(Options, HelpNamesEveryParameterAndPreset) {
  const std::string usage = quillet_standalone::usageText();
  for (const QuilletParamSpec& param : kQuilletParams)
    EXPECT_NE(usage.find(param.name), std::string::npos) << param.name;
  for (const FactoryPreset& preset : kFactoryPresets) {
    EXPECT_NE(usage.find(preset.name), std::string::npos) << preset.name;
    EXPECT_NE(usage.find(preset.symbol), std::string::npos) << preset.symbol;
  }
}

TEST(StartingValues, PresetsByNameOrSymbolInAnyCase) {
  using quillet_standalone::findPreset;
  EXPECT_EQ(findPreset("Dub Throw"), &kFactoryPresets[5]);
  EXPECT_EQ(findPreset("dub_throw"), &kFactoryPresets[5]);
  EXPECT_EQ(findPreset("DUB THROW"), &kFactoryPresets[5]);
  EXPECT_EQ(findPreset("Dub_Throw"), &kFactoryPresets[5]);
  EXPECT_EQ(findPreset("Dub"), nullptr);
  EXPECT_EQ(findPreset(""), nullptr);
}

TEST(StartingValues, ThePresetThenEachSetting) {
  quillet::EchoCore core;
  std::string error;
  ASSERT_TRUE(quillet_standalone::applyPresetAndSets(
      core, "mono_room", {"Repeat=0.5", "x-feed=0.25", "0=0.125", "Repeat=0.75"}, &error))
      << error;
  const FactoryPreset& room = *quillet_standalone::findPreset("Mono Room");
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    float want = room.values[i];
    if (i == kParamRepeat) want = 0.75f;  // the last setting wins
    if (i == kParamXFeed) want = 0.25f;
    if (i == kParamDelay) want = 0.125f;
    EXPECT_EQ(core.parameter(i), want) << kQuilletParams[i].name;
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
    quillet::EchoCore core;
    std::string error;
    EXPECT_FALSE(quillet_standalone::applyPresetAndSets(core, preset, sets, &error));
    EXPECT_EQ(error, message);
    for (int32_t i = 0; i < kNumQuilletParams; ++i)
      EXPECT_EQ(core.parameter(i), kQuilletParams[i].defaultValue) << message;
  }
}

}  // namespace
