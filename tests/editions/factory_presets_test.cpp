// One list, one state: each factory preset loaded the way each edition's
// hosts load it (the VST 2.4 edition's .fxp, the VST3 edition's program and
// its .vstpreset, the CLAP edition's preset discovery, the LV2 bundle's
// presets.ttl) holds the list's eleven values (core/factory_presets.h) and
// sounds exactly as the VST 2.4 edition with its .fxp. (The panel's Presets
// menu sets the same values through each edition's host: tests/editor,
// tests/vst3, tests/clap, tests/lv2_ui.)
#include "core/factory_presets.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/render/fixed_clock.h"
#include "tests/editions/hosted_editions.h"

namespace quillet::test {
namespace {

constexpr double kRate = 48000.0;
constexpr uint32_t kBlock = 512;

struct Way {
  Kind kind;
  bool vst3File;
  const char* name;
};

const Way kWays[] = {{Kind::kVst3, false, "VST3 program"},
                     {Kind::kVst3, true, "VST3 .vstpreset"},
                     {Kind::kClap, false, "CLAP preset discovery"},
                     {Kind::kLv2, false, "LV2 presets.ttl"}};

// A burst of noise, then its echoes, in blocks of kBlock on the fixed clock.
std::vector<double> render(Edition& edition, bool doublePrecision) {
  const size_t frames = 60 * kBlock;
  std::vector<double> inL(frames), inR(frames), out(2 * frames);
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
  for (size_t i = 0; i < 4800; ++i) {
    inL[i] = noise(gen);
    inR[i] = noise(gen);
  }
  edition.start(kRate, kBlock, doublePrecision);
  quillet::host::startFixedClock();
  for (size_t start = 0; start < frames; start += kBlock) {
    quillet::host::advanceFixedClock(static_cast<uint64_t>(start / kRate * 1e9));
    double* in[2] = {inL.data() + start, inR.data() + start};
    double* o[2] = {out.data() + start, out.data() + frames + start};
    edition.process(in, o, kBlock, {});
  }
  quillet::host::stopFixedClock();
  EXPECT_EQ(edition.problem(), "") << edition.name();
  return out;
}

TEST(FactoryPresets, EachLoadsToTheListsValuesAndSoundsTheSameInEveryEdition) {
  for (int p = 0; p < core::kNumFactoryPresets; ++p) {
    const core::FactoryPreset& preset = core::kFactoryPresets[p];
    const std::vector<float> want(preset.values, preset.values + core::kNumQuilletParams);
    for (bool doublePrecision : {false, true}) {
      std::unique_ptr<Edition> reference = openEdition(Kind::kVst2);
      std::string error;
      ASSERT_TRUE(reference->loadFactoryPreset(p, false, &error)) << preset.name << ": " << error;
      EXPECT_EQ(reference->heldValues(), want) << "VST 2.4 .fxp: " << preset.name;
      const std::vector<double> expected = render(*reference, doublePrecision);
      for (const Way& way : kWays) {
        if (way.kind == Kind::kLv2 && doublePrecision) continue;  // LV2 runs in 32 bits
        std::unique_ptr<Edition> edition = openEdition(way.kind);
        ASSERT_TRUE(edition->loadFactoryPreset(p, way.vst3File, &error))
            << way.name << ", " << preset.name << ": " << error;
        const std::vector<double> got = render(*edition, doublePrecision);
        EXPECT_EQ(edition->heldValues(), want) << way.name << ": " << preset.name;
        size_t differing = 0;
        for (size_t i = 0; i < got.size(); ++i) differing += got[i] != expected[i];
        EXPECT_EQ(differing, 0u) << way.name << ", " << preset.name
                                 << (doublePrecision ? ", 64-bit" : ", 32-bit");
      }
    }
  }
}

}  // namespace
}  // namespace quillet::test
