// Every hosted edition sounds as the VST 2.4 edition, also where hosts do
// more than set values between blocks:
//  - the first sound: however many silent blocks a host runs after switching
//    the plug-in on, and whatever values it sets in them, VST3, CLAP and LV2
//    answer silence with silence and then sound exactly as the VST 2.4
//    edition does with those values set beforehand;
//  - automation inside blocks (VST3, CLAP): a point at frame k sounds as a
//    VST 2.4 host that splits its block at k and sets the value there,
//    "Delay" and "Range" included, under the rule that stretches the lines
//    at most once in 2 ms (a "Delay" point sooner after the last stretch,
//    in its block or an earlier one, waits for the 2 ms to pass).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/param_table.h"
#include "host/render/fixed_clock.h"
#include "tests/editions/hosted_editions.h"

namespace quillet::test {
namespace {

constexpr double kRate = 48000.0;

struct Audio {
  Audio(size_t frames, size_t soundFrom, size_t soundFrames) : left(frames), right(frames) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<float> noise(-0.4f, 0.4f);
    for (size_t i = soundFrom; i < soundFrom + soundFrames && i < frames; ++i) {
      left[i] = noise(gen);
      right[i] = noise(gen);
    }
    left[soundFrom] = right[soundFrom] = 0.5f;  // the first sound is on the block's first frame
  }
  std::vector<double> left, right;
};

using BlockChangesList = std::vector<std::vector<Change>>;  // per block

// Renders `input` in blocks with each block's changes, on the fixed clock
// (advanced at each block, so splitting a block leaves its time alone).
std::vector<double> render(Edition& edition, const Audio& input, uint32_t block,
                           const BlockChangesList& changes) {
  std::vector<double> inL = input.left, inR = input.right;
  std::vector<double> out(2 * inL.size());
  quillet::host::startFixedClock();
  for (size_t start = 0, b = 0; start < inL.size(); start += block, ++b) {
    quillet::host::advanceFixedClock(static_cast<uint64_t>(start / kRate * 1e9));
    const auto frames = static_cast<uint32_t>(std::min<size_t>(block, inL.size() - start));
    double* in[2] = {inL.data() + start, inR.data() + start};
    double* o[2] = {out.data() + start, out.data() + inL.size() + start};
    edition.process(in, o, frames, b < changes.size() ? changes[b] : std::vector<Change>{});
  }
  quillet::host::stopFixedClock();
  EXPECT_EQ(edition.problem(), "") << edition.name();
  return out;
}

size_t firstDifference(const std::vector<double>& a, const std::vector<double>& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) return i;
  return a.size() == b.size() ? SIZE_MAX : std::min(a.size(), b.size());
}

const std::vector<Change> kProject = {
    {0, engine::kParamDelay, 0.3f}, {0, engine::kParamRepeat, 0.45f},
    {0, engine::kParamLevel, 0.7f}, {0, engine::kParamPan, 0.35f},
    {0, engine::kParamDry, 0.8f},   {0, engine::kParamXFeed, 0.2f}};
const std::vector<Change> kLater = {{0, engine::kParamDelay, 0.42f},
                                    {0, engine::kParamLevel, 0.55f},
                                    {0, engine::kParamRepeat, 0.3f},
                                    {0, engine::kParamRange, 0.0f}};

TEST(FirstSound, SilentBlocksBeforeItChangeNothingInAnyEdition) {
  const uint32_t block = 256;
  for (bool doublePrecision : {false, true}) {
    for (bool valuesInSilence : {false, true}) {
      // The VST 2.4 edition with the values set before it runs, and the
      // sound from its first block on.
      auto vst2 = openEdition(Kind::kVst2);
      for (const Change& c : kProject) vst2->set(c.index, c.value);
      if (valuesInSilence)
        for (const Change& c : kLater) vst2->set(c.index, c.value);
      vst2->start(kRate, block, doublePrecision);
      const Audio sound(block * 50, 0, block * 30);
      const std::vector<double> expected = render(*vst2, sound, block, {});

      for (Kind kind : {Kind::kVst3, Kind::kClap, Kind::kLv2}) {
        if (doublePrecision && kind == Kind::kLv2) continue;  // LV2 ports are 32-bit
        for (uint32_t silent : {0u, 1u, 7u}) {
          if (valuesInSilence && silent == 0) continue;  // no silence to set them in
          auto edition = openEdition(kind);
          SCOPED_TRACE(std::string(edition->name()) + ", " + std::to_string(silent) +
                       " silent blocks" + (valuesInSilence ? ", values set in them" : "") +
                       (doublePrecision ? ", 64-bit" : ", 32-bit"));
          for (const Change& c : kProject) edition->set(c.index, c.value);
          edition->start(kRate, block, doublePrecision);
          BlockChangesList changes(silent + 1);
          if (valuesInSilence) changes[silent / 2] = kLater;
          const Audio input(block * (silent + 50), block * silent, block * 30);
          const std::vector<double> out = render(*edition, input, block, changes);
          const size_t frames = input.left.size(), skip = block * silent;
          for (size_t i = 0; i < skip; ++i)
            ASSERT_TRUE(out[i] == 0.0 && out[frames + i] == 0.0) << "silence answered at " << i;
          std::vector<double> heard(out.begin() + skip, out.begin() + frames);
          heard.insert(heard.end(), out.begin() + frames + skip, out.end());
          EXPECT_EQ(firstDifference(heard, expected), SIZE_MAX);
        }
      }
    }
  }
}

// Changes at frames inside blocks, for the formats that carry them, and the
// same changes as a VST 2.4 host splitting its blocks there.
BlockChangesList automation() {
  BlockChangesList c(14);
  c[2] = {{37, engine::kParamLevel, 0.9f},
          {37, engine::kParamPan, 0.1f},
          {300, engine::kParamMute, 1.0f}};
  c[3] = {{5, engine::kParamMute, 0.0f},
          {128, engine::kParamPingPong, 0.5f},
          {511, engine::kParamXFeed, 0.6f}};
  c[5] = {{100, engine::kParamDelay, 0.5f},
          {300, engine::kParamDelay, 0.55f},
          {400, engine::kParamRange, 1.0f}};
  c[7] = {{1, engine::kParamRepeat, 0.7f},
          {10, engine::kParamKnobDust, 0.0f},
          {20, engine::kParamDelay, 0.6f},
          {256, engine::kParamDry, 0.3f},
          {256, engine::kParamPingPong, 0.0f}};
  c[9] = {{400, engine::kParamMonoOut, 1.0f}, {450, engine::kParamMonoOut, 0.0f}};
  return c;
}

TEST(AutomationAtItsFrame, PointsInsideBlocksSoundAsAVst24HostSplittingThere) {
  const uint32_t block = 512;
  const Audio input(block * 40, 0, block * 25);
  for (bool doublePrecision : {false, true}) {
    auto vst2 = openEdition(Kind::kVst2);
    for (const Change& c : kProject) vst2->set(c.index, c.value);
    vst2->start(kRate, block, doublePrecision);
    const std::vector<double> expected = render(*vst2, input, block, automation());
    for (Kind kind : {Kind::kVst3, Kind::kClap}) {
      auto edition = openEdition(kind);
      SCOPED_TRACE(std::string(edition->name()) + (doublePrecision ? ", 64-bit" : ", 32-bit"));
      for (const Change& c : kProject) edition->set(c.index, c.value);
      edition->start(kRate, block, doublePrecision);
      EXPECT_EQ(firstDifference(render(*edition, input, block, automation()), expected), SIZE_MAX);
    }
  }
}

TEST(AutomationAtItsFrame, ADenseDelayRideStretchesOncePerTwoMillisecondsAcrossBlocks) {
  // A point every 8 frames over two 512-frame blocks: the lines stretch at
  // the first point, then every 96 frames (2 ms at 48 kHz), across the
  // blocks' boundary too, each time to the point that came last; the last
  // point waits into the block after. A VST 2.4 host gives the same when it
  // splits its blocks at every point and sets "Delay" only where the lines
  // stretch.
  const uint32_t block = 512;
  const Audio input(block * 20, 0, block * 8);
  BlockChangesList ride(8), split(8);
  float value = 0.3f, stretched = 0.3f;
  for (size_t b = 3; b < 5; ++b) {
    for (uint32_t f = 0; f < block; f += 8) {
      value += 0.002f;
      ride[b].push_back({f, engine::kParamDelay, value});
      if (((b - 3) * block + f) % 96 == 0) stretched = value;
      split[b].push_back({f, engine::kParamDelay, stretched});
    }
  }
  // 2 ms after the stretch at block 4's frame 448.
  split[5].push_back({32, engine::kParamDelay, value});
  auto vst2 = openEdition(Kind::kVst2);
  for (const Change& c : kProject) vst2->set(c.index, c.value);
  vst2->start(kRate, block, true);
  const std::vector<double> expected = render(*vst2, input, block, split);
  for (Kind kind : {Kind::kVst3, Kind::kClap}) {
    auto edition = openEdition(kind);
    SCOPED_TRACE(edition->name());
    for (const Change& c : kProject) edition->set(c.index, c.value);
    edition->start(kRate, block, true);
    EXPECT_EQ(firstDifference(render(*edition, input, block, ride), expected), SIZE_MAX);
  }
}

}  // namespace
}  // namespace quillet::test
