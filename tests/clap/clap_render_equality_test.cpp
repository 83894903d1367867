// The CLAP edition sounds as the VST 2.4 edition: the same settings, ramps
// and block size rendered through QuilletK3.clap (quillet-host's CLAP loader)
// and through QTAP_x64.so give the same samples, in both precisions; and
// every factory preset found through preset discovery and loaded through
// preset-load renders as its .fxp does through the VST 2.4 edition.
//
// A change of "Delay" seeds the stretch's noise from the clock, so both
// renders read the fixed clock of quillet-host's --fixed-clock, which this
// program exports as quillet-host does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_presets.h"
#include "host/plugin/parameters.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/presets/plugin_preset.h"
#include "host/render/demo_material.h"
#include "host/render/fixed_clock.h"
#include "host/render/render.h"

namespace {

using namespace quillet::host;

struct Editions {
  OpenedClap clap;
  OpenedPlugin vst2;
  std::unique_ptr<ClapAudioPlugin> clapAudio;
  std::unique_ptr<Vst2AudioPlugin> vst2Audio;

  Editions() {
    std::string error;
    EXPECT_TRUE(openClap(QUILLET_CLAP_PATH, &clap, &error)) << error;
    EXPECT_TRUE(openPlugin(QTAP_PATH, &vst2, &error)) << error;
    if (clap.instance) clapAudio = std::make_unique<ClapAudioPlugin>(*clap);
    if (vst2.instance) vst2Audio = std::make_unique<Vst2AudioPlugin>(*vst2);
  }
  bool ready() const { return clapAudio && vst2Audio; }
  // `NAME=VALUE` on both, by the host's own --set rule.
  void set(const std::string& assignment) {
    for (AudioPlugin* p :
         {static_cast<AudioPlugin*>(clapAudio.get()), static_cast<AudioPlugin*>(vst2Audio.get())}) {
      ParamSetting setting;
      std::string error;
      ASSERT_TRUE(parseSetting(*p, assignment, &setting, &error)) << error;
      p->setParameter(setting.index, setting.value);
    }
  }
};

// Renders with the clock at the audio's time at every block, from zero.
bool renderOnFixedClock(AudioPlugin& plugin, const AudioData& input, RenderSettings settings,
                        AudioData* output, std::string* error) {
  const double rate = input.sampleRate;
  settings.blockStarts = [rate](uint64_t frame) {
    advanceFixedClock(static_cast<uint64_t>(static_cast<double>(frame) / rate * 1e9));
  };
  startFixedClock();
  const bool ok = renderThrough(plugin, input, settings, output, error);
  stopFixedClock();
  return ok;
}

// Frames that differ between the two renders, and the first of them.
size_t differingSamples(const AudioData& a, const AudioData& b, std::string* first) {
  size_t count = 0;
  EXPECT_EQ(a.channels.size(), b.channels.size());
  for (size_t c = 0; c < a.channels.size() && c < b.channels.size(); ++c) {
    EXPECT_EQ(a.channels[c].size(), b.channels[c].size());
    for (size_t i = 0; i < a.channels[c].size() && i < b.channels[c].size(); ++i)
      if (a.channels[c][i] != b.channels[c][i] && count++ == 0)
        *first = "channel " + std::to_string(c) + " frame " + std::to_string(i);
  }
  return count;
}

struct Case {
  uint32_t block;
  bool doublePrecision;
};

class ClapRenderEquality : public ::testing::TestWithParam<Case> {};

TEST_P(ClapRenderEquality, EverySettingAndRampSoundsAsTheVst24Edition) {
  Editions editions;
  ASSERT_TRUE(editions.ready());
  for (const char* s :
       {"Delay=0.37", "Repeat=0.62", "Level=0.83", "Range=0.2", "Mute=0.3", "Dry=0.71", "Pan=0.35",
        "X-Feed=0.27", "Mono Out=0.4", "KnobDust=0.2", "PingPong=0.5"})
    editions.set(s);
  RenderSettings settings;
  settings.blockSize = GetParam().block;
  settings.doublePrecision = GetParam().doublePrecision;
  settings.tailSeconds = 2.0;
  settings.tempo = 97.0;
  // A "Delay" ride (the lines stretch once per block: every block lasts
  // 2 ms or more, the spacing CLAP keeps between stretches) and a "Level"
  // fade; both editions number the parameters alike.
  std::string error;
  for (const char* ramp : {"Delay=0.37:0.6@1:3", "Level=0.83:0.2@4:6"}) {
    settings.ramps.emplace_back();
    ASSERT_TRUE(parseRamp(*editions.vst2Audio, ramp, &settings.ramps.back(), &error)) << error;
  }
  const AudioData input = demoMaterial(48000.0);
  AudioData fromClap, fromVst2;
  ASSERT_TRUE(renderOnFixedClock(*editions.clapAudio, input, settings, &fromClap, &error)) << error;
  ASSERT_TRUE(renderOnFixedClock(*editions.vst2Audio, input, settings, &fromVst2, &error)) << error;
  EXPECT_EQ(editions.clapAudio->lastStatus(), CLAP_PROCESS_TAIL);
  std::string first;
  EXPECT_EQ(differingSamples(fromClap, fromVst2, &first), 0u) << "first at " << first;
  EXPECT_GT(fromClap.frames(), input.frames());
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, ClapRenderEquality,
                         ::testing::Values(Case{512, false}, Case{512, true}, Case{333, false},
                                           Case{96, true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::to_string(info.param.block) +
                                  (info.param.doublePrecision ? "_double" : "_float");
                         });

TEST(ClapPresets, EveryDiscoveredPresetSoundsAsItsFxpThroughTheVst24Edition) {
  std::unique_ptr<ClapModule> module;
  std::string error;
  module = ClapModule::load(QUILLET_CLAP_PATH, &error);
  ASSERT_TRUE(module) << error;
  std::vector<ClapPreset> presets;
  ASSERT_TRUE(discoverClapPresets(*module, &presets, &error)) << error;
  ASSERT_EQ(presets.size(), 9u);
  RenderSettings settings;
  settings.blockSize = 256;
  settings.tailSeconds = 1.0;
  AudioData input = demoMaterial(44100.0);
  for (auto& c : input.channels) c.resize(44100 * 3);  // the first three seconds
  for (const ClapPreset& preset : presets) {
    SCOPED_TRACE(preset.name);
    EXPECT_EQ(preset.kind, static_cast<uint32_t>(CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN));
    EXPECT_EQ(preset.pluginIds, std::vector<std::string>{"clap:com.marrowledge.quillet-k3"});
    Editions editions;
    ASSERT_TRUE(editions.ready());
    ASSERT_TRUE(loadClapPreset(*editions.clap, preset, &error)) << error;
    EXPECT_EQ(editions.clap->host().presetsLoaded, std::vector<std::string>{preset.loadKey});
    EXPECT_EQ(editions.clap->host().rescans, std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES});
    PresetFile fxp;
    ASSERT_TRUE(
        readPresetFile(std::string(QUILLET_FXP_DIR "/") + preset.loadKey + ".fxp", &fxp, &error))
        << error;
    ASSERT_TRUE(applyPreset(*editions.vst2, fxp, &error)) << error;
    AudioData fromClap, fromVst2;
    ASSERT_TRUE(renderOnFixedClock(*editions.clapAudio, input, settings, &fromClap, &error))
        << error;
    ASSERT_TRUE(renderOnFixedClock(*editions.vst2Audio, input, settings, &fromVst2, &error))
        << error;
    std::string first;
    EXPECT_EQ(differingSamples(fromClap, fromVst2, &first), 0u) << "first at " << first;
  }
}

TEST(ClapPresets, AnUnknownKeyOrLocationIsRefusedAndChangesNothing) {
  Editions editions;
  ASSERT_TRUE(editions.ready());
  std::vector<uint8_t> before, after;
  ASSERT_TRUE(editions.clap->saveState(&before));
  std::string error;
  ClapPreset unknown;
  unknown.kind = CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN;
  unknown.loadKey = "no_such_preset";
  EXPECT_FALSE(loadClapPreset(*editions.clap, unknown, &error));
  ClapPreset file = unknown;
  file.kind = CLAP_PRESET_DISCOVERY_LOCATION_FILE;
  file.hasLocation = true;
  file.location = "/tmp/slapback.fxp";
  file.loadKey = "slapback";
  EXPECT_FALSE(loadClapPreset(*editions.clap, file, &error));
  ASSERT_TRUE(editions.clap->saveState(&after));
  EXPECT_EQ(before, after);
  EXPECT_TRUE(editions.clap->host().presetsLoaded.empty());
}

}  // namespace
