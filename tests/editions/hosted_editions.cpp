#include "tests/editions/hosted_editions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/factory_presets.h"
#include "core/identity.h"
#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_instance.h"
#include "host/plugin/clap/clap_presets.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/plugin/vst3/vst3_audio_plugin.h"
#include "host/plugin/vst3/vst3_instance.h"
#include "host/plugin/vst3/vst3_module.h"
#include "host/presets/plugin_preset.h"
#include "host/presets/preset_file.h"
#include "host/presets/vst3_preset_load.h"
#include "host/presets/vst_preset_file.h"
#include "tests/lv2/lv2_test_host.h"

namespace quillet::test {

namespace {

using quillet::host::AudioPlugin;

std::vector<float> littleEndianFloats(const uint8_t* bytes, size_t count) {
  std::vector<float> values(count);
  std::memcpy(values.data(), bytes, 4 * count);  // the test machines are little-endian
  return values;
}

// An edition quillet-host loads: its AudioPlugin, fed in 32 or 64 bits.
class HostedEdition : public Edition {
 public:
  void set(uint32_t index, float value) override { plugin->setParameter(index, value); }
  void start(double rate, uint32_t maxBlock, bool doublePrecision) override {
    wide = doublePrecision;
    for (auto& channel : narrow) channel.assign(2 * maxBlock, 0.0f);
    plugin->startProcessing(rate, maxBlock, doublePrecision, 120.0);
  }
  void process(double* const* in, double* const* out, uint32_t frames,
               const std::vector<Change>& changes) override {
    uint32_t done = 0;
    for (const Change& change : changes) {
      if (splitsBlocks && change.frame > done) {
        run(in, out, done, change.frame - done);
        done = change.frame;
      }
      if (splitsBlocks || change.frame == 0) {
        plugin->setParameter(change.index, change.value);
      } else {
        EXPECT_TRUE(plugin->setParameterAt(change.index, change.value, change.frame));
      }
    }
    if (frames > done) run(in, out, done, frames - done);
  }

 protected:
  AudioPlugin* plugin = nullptr;
  bool splitsBlocks = false;  // VST 2.4: changes inside a block split it

 private:
  void run(double* const* in, double* const* out, uint32_t from, uint32_t frames) {
    if (wide) {
      double* i[2] = {in[0] + from, in[1] + from};
      double* o[2] = {out[0] + from, out[1] + from};
      plugin->process(i, o, frames);
      return;
    }
    float* i[2] = {narrow[0].data(), narrow[1].data()};
    float* o[2] = {narrow[2].data(), narrow[3].data()};
    for (int c = 0; c < 2; ++c)
      for (uint32_t f = 0; f < frames; ++f) i[c][f] = static_cast<float>(in[c][from + f]);
    plugin->process(i, o, frames);
    for (int c = 0; c < 2; ++c)
      for (uint32_t f = 0; f < frames; ++f) out[c][from + f] = o[c][f];
  }
  bool wide = false;
  std::vector<float> narrow[4];
};

class Vst2Edition final : public HostedEdition {
 public:
  Vst2Edition() {
    std::string error;
    EXPECT_TRUE(quillet::host::openPlugin(QTAP_PATH, &opened, &error)) << error;
    audio = std::make_unique<quillet::host::Vst2AudioPlugin>(*opened);
    plugin = audio.get();
    splitsBlocks = true;
  }
  const char* name() const override { return "VST 2.4"; }
  bool loadFactoryPreset(int preset, bool, std::string* error) override {
    quillet::host::PresetFile file;
    const std::string path =
        std::string(QUILLET_FXP_DIR) + "/" + core::kFactoryPresets[preset].symbol + ".fxp";
    return quillet::host::readPresetFile(path, &file, error) &&
           quillet::host::applyPreset(*opened, file, error);
  }
  std::vector<float> heldValues() override {
    std::vector<float> values;
    AEffect* e = opened->effect();
    for (int i = 0; i < core::kNumQuilletParams; ++i) values.push_back(e->getParameter(e, i));
    return values;
  }

 private:
  quillet::host::OpenedPlugin opened;
  std::unique_ptr<quillet::host::Vst2AudioPlugin> audio;
};

class Vst3Edition final : public HostedEdition {
 public:
  Vst3Edition() {
    std::string error;
    module = quillet::host::vst3::Vst3Module::load(VST3_BUNDLE_PATH, &error);
    EXPECT_TRUE(module) << error;
    if (module) instance = quillet::host::vst3::Vst3Instance::open(*module, &error);
    EXPECT_TRUE(instance) << error;
    if (instance) audio = std::make_unique<quillet::host::vst3::Vst3AudioPlugin>(*instance);
    plugin = audio.get();
  }
  ~Vst3Edition() override {
    audio.reset();
    instance.reset();
  }
  const char* name() const override { return "VST3"; }
  std::string problem() const override { return audio ? audio->failure() : "not open"; }
  bool loadFactoryPreset(int preset, bool vst3File, std::string* error) override {
    if (!vst3File)
      return quillet::host::selectVst3Program(*instance, core::kFactoryPresets[preset].name, error);
    quillet::host::VstPresetFile file;
    const std::string path =
        std::string(VST3_PRESET_DIR) + "/" + core::kFactoryPresets[preset].name + ".vstpreset";
    return quillet::host::readVstPresetFile(path, &file, error) &&
           quillet::host::applyVstPreset(*instance, *module, file, error);
  }
  // The processor's state; the controller shows the same values.
  std::vector<float> heldValues() override {
    std::vector<uint8_t> state;
    EXPECT_TRUE(instance->saveState(&state));
    if (state.size() < 4 * core::kNumQuilletParams) return {};
    const std::vector<float> values = littleEndianFloats(state.data(), core::kNumQuilletParams);
    for (int i = 0; i < core::kNumQuilletParams; ++i)
      EXPECT_EQ(static_cast<float>(instance->controller()->getParamNormalized(i)), values[i]) << i;
    return values;
  }

 private:
  std::unique_ptr<quillet::host::vst3::Vst3Module> module;
  std::unique_ptr<quillet::host::vst3::Vst3Instance> instance;
  std::unique_ptr<quillet::host::vst3::Vst3AudioPlugin> audio;
};

class ClapEdition final : public HostedEdition {
 public:
  ClapEdition() {
    std::string error;
    EXPECT_TRUE(quillet::host::openClap(QUILLET_CLAP_PATH, &opened, &error)) << error;
    if (opened.instance) audio = std::make_unique<quillet::host::ClapAudioPlugin>(*opened);
    plugin = audio.get();
  }
  ~ClapEdition() override { audio.reset(); }
  const char* name() const override { return "CLAP"; }
  bool loadFactoryPreset(int preset, bool, std::string* error) override {
    std::vector<quillet::host::ClapPreset> presets;
    if (!quillet::host::discoverClapPresets(*opened.module, &presets, error)) return false;
    const quillet::host::ClapPreset* found =
        quillet::host::findClapPreset(presets, core::kFactoryPresets[preset].name);
    if (!found) {
      *error = std::string("preset discovery lists no ") + core::kFactoryPresets[preset].name;
      return false;
    }
    return quillet::host::loadClapPreset(*opened, *found, error);
  }
  // The state: an 8-byte header, then the 44 bytes.
  std::vector<float> heldValues() override {
    std::vector<uint8_t> state;
    EXPECT_TRUE(opened->saveState(&state));
    if (state.size() != 8 + 4 * core::kNumQuilletParams) return {};
    return littleEndianFloats(state.data() + 8, core::kNumQuilletParams);
  }

 private:
  quillet::host::OpenedClap opened;
  std::unique_ptr<quillet::host::ClapAudioPlugin> audio;
};

// LV2 through its control ports: one value per port and block, taken at the
// block's start (a change inside a block is not a thing LV2 control ports
// carry), 32-bit audio.
class Lv2Edition final : public Edition {
 public:
  const char* name() const override { return "LV2"; }
  void set(uint32_t index, float value) override { lv2->controls[index] = value; }
  // As an LV2 host loads a preset: the port values presets.ttl gives it.
  bool loadFactoryPreset(int preset, bool, std::string* error) override {
    std::ifstream file(QUILLET_LV2_PRESETS_TTL);
    std::stringstream text;
    text << file.rdbuf();
    const std::string turtle = text.str();
    const std::string subject = std::string("<") + quillet::core::identity::kLv2PresetUriPrefix +
                                core::kFactoryPresets[preset].symbol + ">";
    const size_t start = turtle.find("\n" + subject);
    const size_t end = start == std::string::npos ? start : turtle.find(" .\n", start);
    if (end == std::string::npos) {
      *error = "presets.ttl has no " + subject;
      return false;
    }
    const std::string block = turtle.substr(start, end - start);
    for (int i = 0; i < core::kNumQuilletParams; ++i) {
      const std::regex port(std::string("lv2:symbol \"") + core::kQuilletParams[i].symbol +
                            "\" ;\\s*pset:value ([-0-9.eE+]+)");
      std::smatch value;
      if (!std::regex_search(block, value, port)) {
        *error = subject + " sets no " + core::kQuilletParams[i].symbol;
        return false;
      }
      lv2->controls[i] = std::stof(value[1]);
    }
    return true;
  }
  std::vector<float> heldValues() override {
    return std::vector<float>(lv2->controls, lv2->controls + core::kNumQuilletParams);
  }
  void start(double rate, uint32_t maxBlock, bool /*doublePrecision*/) override {
    const std::vector<float> before(lv2->controls, lv2->controls + core::kNumQuilletParams);
    lv2 = std::make_unique<Lv2Instance>(rate);
    std::copy(before.begin(), before.end(), lv2->controls);
    EXPECT_LE(maxBlock, Lv2Instance::kMaxBlock);
    lv2->activate();
  }
  void process(double* const* in, double* const* out, uint32_t frames,
               const std::vector<Change>& changes) override {
    for (const Change& change : changes) {
      EXPECT_EQ(change.frame, 0u) << "LV2 takes values at a block's start";
      lv2->controls[change.index] = change.value;
    }
    for (int c = 0; c < 2; ++c)
      for (uint32_t f = 0; f < frames; ++f) lv2->in[c][f] = static_cast<float>(in[c][f]);
    lv2->run(frames);
    for (int c = 0; c < 2; ++c)
      for (uint32_t f = 0; f < frames; ++f) out[c][f] = lv2->out[c][f];
  }

 private:
  std::unique_ptr<Lv2Instance> lv2 = std::make_unique<Lv2Instance>();
};

}  // namespace

std::unique_ptr<Edition> openEdition(Kind kind) {
  switch (kind) {
    case Kind::kVst2:
      return std::make_unique<Vst2Edition>();
    case Kind::kVst3:
      return std::make_unique<Vst3Edition>();
    case Kind::kClap:
      return std::make_unique<ClapEdition>();
    case Kind::kLv2:
      return std::make_unique<Lv2Edition>();
  }
  return nullptr;
}

}  // namespace quillet::test
