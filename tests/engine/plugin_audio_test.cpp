// The echo as a host hears it: both built plug-ins loaded through their entry
// point, driven through the record's parameter and process entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/plugin/vst2/plugin_host.h"
#include "tests/plugin/loaded_plugin.h"

namespace {

enum Param {
  kDelay,
  kRepeat,
  kLevel,
  kRange,
  kMute,
  kDry,
  kPan,
  kXFeed,
  kMonoOut,
  kKnobDust,
  kPingPong
};

constexpr float kSixtyMs = 0.2307693f;  // "Delay" for 60 ms in the first range

// One effect instance with stereo buffers, driven like a DAW drives it.
class Echo {
 public:
  // sendRate false: the host never sets a sample rate.
  explicit Echo(const std::string& path, float rate = 44100.0f, bool sendRate = true) {
    std::string error;
    instance = quillet::host::PluginInstance::create(loadedLibrary(path), &error);
    if (!instance) {
      ADD_FAILURE() << error;
      return;
    }
    instance->dispatch(effOpen);
    if (sendRate) instance->dispatch(effSetSampleRate, 0, 0, nullptr, rate);
    instance->dispatch(effSetBlockSize, 0, 4096);
    instance->dispatch(effMainsChanged, 0, 1);
  }
  bool ok() const { return instance && instance->effect(); }
  AEffect* effect() const { return instance->effect(); }
  void set(Param p, float value) { effect()->setParameter(effect(), p, value); }
  // The host sets the rate again: the smoothers land on the present values
  // without a glide and the lines start empty.
  void restart(float rate = 44100.0f) { instance->dispatch(effSetSampleRate, 0, 0, nullptr, rate); }
  void hearEchoOnly(float pan = 0.5f) {
    set(kLevel, 1.0f);
    set(kDry, 0.0f);
    set(kPan, pan);
  }
  void arrange(VstInt32 type, VstInt32 channels) {
    VstSpeakerArrangement in{}, out{};
    in.type = out.type = type;
    in.numChannels = out.numChannels = channels;
    instance->dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
  }

  template <typename Sample>
  void process(std::vector<Sample>& inL, std::vector<Sample>& inR, std::vector<Sample>& outL,
               std::vector<Sample>& outR, size_t block = 512) {
    outL.assign(inL.size(), Sample(0));
    outR.assign(inL.size(), Sample(0));
    for (size_t start = 0; start < inL.size(); start += block) {
      const size_t n = std::min(block, inL.size() - start);
      Sample* ins[2] = {inL.data() + start, inR.data() + start};
      Sample* outs[2] = {outL.data() + start, outR.data() + start};
      run(ins, outs, static_cast<VstInt32>(n));
    }
  }

 private:
  void run(float** ins, float** outs, VstInt32 n) {
    effect()->processReplacing(effect(), ins, outs, n);
  }
  void run(double** ins, double** outs, VstInt32 n) {
    effect()->processDoubleReplacing(effect(), ins, outs, n);
  }
  std::unique_ptr<quillet::host::PluginInstance> instance;
};

template <typename Sample>
std::vector<Sample> noise(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  std::vector<Sample> v(n);
  for (auto& x : v) x = static_cast<Sample>(dist(gen));
  return v;
}

long firstAbove(const std::vector<double>& x, double threshold, size_t from = 0) {
  for (size_t i = from; i < x.size(); ++i) {
    if (std::fabs(x[i]) > threshold) return static_cast<long>(i);
  }
  return -1;
}

double energy(const std::vector<double>& x, size_t from, size_t count) {
  double e = 0.0;
  for (size_t i = from; i < from + count && i < x.size(); ++i) e += x[i] * x[i];
  return e;
}

int zeroCrossings(const std::vector<double>& x, size_t from, size_t to) {
  int n = 0;
  for (size_t i = from + 1; i < to; ++i) n += (x[i - 1] < 0.0) != (x[i] < 0.0);
  return n;
}

class PluginAudio : public ::testing::TestWithParam<const char*> {};

TEST_P(PluginAudio, DefaultsPassInputThroughExactly) {
  Echo e32(GetParam()), e64(GetParam());
  ASSERT_TRUE(e32.ok() && e64.ok());
  auto l32 = noise<float>(30000, 1), r32 = noise<float>(30000, 2);
  auto l64 = noise<double>(30000, 1), r64 = noise<double>(30000, 2);
  std::vector<float> o32l, o32r;
  std::vector<double> o64l, o64r;
  e32.process(l32, r32, o32l, o32r);
  e64.process(l64, r64, o64l, o64r);
  EXPECT_EQ(o32l, l32);
  EXPECT_EQ(o32r, r32);
  EXPECT_EQ(o64l, l64);
  EXPECT_EQ(o64r, r64);
}

TEST_P(PluginAudio, ImpulseEchoesOnceAfterTheDelayLength) {
  Echo e(GetParam());
  ASSERT_TRUE(e.ok());
  e.hearEchoOnly(0.0f);
  std::vector<double> l(12000), r(12000), ol, orr;
  e.restart();
  l[0] = 1.0;
  e.process(l, r, ol, orr);
  const long L = 5292;  // 120 ms at 44100 Hz: "Delay" 0 in the middle range
  EXPECT_EQ(firstAbove(ol, 1e-12), L);
  EXPECT_NEAR(ol[L], std::erf(1.0) * 0.985951619 * 0.565206248 * 0.143492954, 1e-8);
  EXPECT_EQ(firstAbove(ol, 1e-12, L + 4000), -1);
  EXPECT_EQ(firstAbove(orr, 0.0), -1);
}

TEST_P(PluginAudio, CrossFeedOneAlternatesSides) {
  Echo e(GetParam());
  ASSERT_TRUE(e.ok());
  e.hearEchoOnly();
  e.set(kXFeed, 1.0f);
  e.set(kRepeat, 0.5f);
  std::vector<float> l(4 * 5292), r(4 * 5292), ol, orr;
  e.restart();
  l[0] = 1.0f;
  e.process(l, r, ol, orr);
  const std::vector<double> dl(ol.begin(), ol.end()), dr(orr.begin(), orr.end());
  for (int k = 1; k <= 3; ++k) {
    const auto& loud = k % 2 ? dr : dl;
    const auto& quiet = k % 2 ? dl : dr;
    EXPECT_GT(energy(loud, k * 5292, 400), 1e6 * energy(quiet, k * 5292, 400)) << k;
  }
}

TEST_P(PluginAudio, PingPongModesFeedOnlyTheirInput) {
  for (const bool fromLeft : {true, false}) {
    SCOPED_TRACE(fromLeft ? "fed from left" : "fed from right");
    Echo e(GetParam());
    ASSERT_TRUE(e.ok());
    e.hearEchoOnly();
    e.set(kDry, 1.0f);
    e.set(kRepeat, 0.5f);
    e.set(kPingPong, fromLeft ? 0.5f : 1.0f);
    e.restart();
    // The input that is not fed keeps its dry path and nothing else.
    std::vector<double> l(3 * 5292), r(3 * 5292), ol, orr;
    (fromLeft ? r : l)[0] = 1.0;
    e.process(l, r, ol, orr);
    EXPECT_EQ(firstAbove(fromLeft ? ol : orr, 1e-12), -1);
    EXPECT_EQ(firstAbove(fromLeft ? orr : ol, 1e-12, 1), -1);
    // The fed input's echoes alternate, starting on its own side.
    Echo f(GetParam());
    f.hearEchoOnly();
    f.set(kRepeat, 0.5f);
    f.set(kPingPong, fromLeft ? 0.5f : 1.0f);
    std::vector<double> l2(3 * 5292), r2(3 * 5292);
    f.restart();
    (fromLeft ? l2 : r2)[0] = 1.0;
    f.process(l2, r2, ol, orr);
    const auto& own = fromLeft ? ol : orr;
    const auto& other = fromLeft ? orr : ol;
    EXPECT_GT(energy(own, 5292, 400), 1e6 * energy(other, 5292, 400));
    EXPECT_GT(energy(other, 2 * 5292, 400), 1e6 * energy(own, 2 * 5292, 400));
  }
}

TEST_P(PluginAudio, MonoOutAndTheMonoPath) {
  Echo stereo(GetParam()), mono(GetParam()), monoIO(GetParam());
  ASSERT_TRUE(stereo.ok() && mono.ok() && monoIO.ok());
  for (Echo* e : {&stereo, &mono, &monoIO}) {
    e->hearEchoOnly(0.25f);
    e->set(kDry, 0.5f);
    e->set(kRepeat, 0.3f);
  }
  mono.set(kMonoOut, 1.0f);
  monoIO.set(kMonoOut, 1.0f);
  monoIO.arrange(kSpeakerArrMono, 1);
  for (Echo* e : {&stereo, &mono, &monoIO}) e->restart();
  auto l = noise<double>(12000, 3), r = noise<double>(12000, 4);
  std::vector<double> sl, sr, ml, mr, il, ir;
  stereo.process(l, r, sl, sr);
  mono.process(l, r, ml, mr);
  monoIO.process(l, r, il, ir);
  for (size_t i = 0; i < l.size(); ++i) {
    ASSERT_EQ(ml[i], (sr[i] + sl[i]) * 0.5) << i;
    ASSERT_EQ(mr[i], ml[i]) << i;
  }
  // Mono in and out: the right input is ignored and "Mono Out" has no say;
  // the right line hears nothing but its own (silent) feedback.
  EXPECT_EQ(firstAbove(ir, 1e-12), -1);
  EXPECT_NEAR(il[0], l[0] * 0.5, 1e-12);
  EXPECT_GT(energy(il, 5292, 1000), 1e-3);
}

TEST_P(PluginAudio, MuteFadesInAndClearsTheEcho) {
  Echo e(GetParam());
  ASSERT_TRUE(e.ok());
  e.hearEchoOnly();
  e.set(kDry, 1.0f);
  e.set(kRepeat, 0.7f);
  std::vector<float> l(2000), r(2000), ol, orr;
  e.restart();
  l[0] = r[0] = 1.0f;
  e.process(l, r, ol, orr);

  e.set(kMute, 1.0f);
  std::vector<float> ones(1764, 1.0f), ol2, or2;
  e.process(ones, ones, ol2, or2);
  const float c = std::exp(-1000.0f / (44100.0f * 20.0f));
  float g = 0.0f;
  for (size_t i = 0; i < ones.size(); ++i) {
    g = (g - 1.0f) * c + 1.0f;
    ASSERT_EQ(ol2[i], g) << i;
    ASSERT_EQ(or2[i], g) << i;
  }
  EXPECT_NEAR(ol2[881], 1.0 - std::exp(-1.0), 1e-3);

  e.set(kMute, 0.0f);
  std::vector<double> silence(3 * 5292), sl, sr;
  e.process(silence, silence, sl, sr);
  EXPECT_EQ(firstAbove(sl, 1e-12), -1);
  EXPECT_EQ(firstAbove(sr, 1e-12), -1);
}

// A 1 kHz burst stored at 30 ms, then "Delay" doubled to 60 ms: the echo
// comes back at 500 Hz and twice as long.
TEST_P(PluginAudio, DelayChangeStretchesTheStoredEchoAnOctaveDown) {
  for (const float knobDust : {1.0f, 0.0f}) {
    SCOPED_TRACE(knobDust);
    Echo e(GetParam());
    ASSERT_TRUE(e.ok());
    e.hearEchoOnly(0.0f);
    e.set(kRange, 0.0f);
    e.set(kDelay, 0.0f);  // 1323 samples
    e.set(kKnobDust, knobDust);
    std::vector<double> l(1323), r(1323), ol, orr;
    e.restart();
    for (size_t i = 0; i < 600; ++i) l[i] = 0.5 * std::sin(2 * M_PI * 1000.0 * i / 44100.0);
    e.process(l, r, ol, orr, 1323);
    e.set(kDelay, kSixtyMs);  // 2646 samples
    std::vector<double> z(2646), echoL, echoR;
    e.process(z, z, echoL, echoR, 2646);
    // About 20 crossings over 900 samples at 500 Hz (41 at 1 kHz).
    EXPECT_NEAR(zeroCrossings(echoL, 150, 1050), 20, 2);
    // Twice as long: sound up to 1200 samples, then only the filter tail.
    EXPECT_GT(energy(echoL, 1100, 100), 1.0);
    EXPECT_LT(energy(echoL, 1500, 1000), 1e-6);
  }
}

// With "KnobDust" off the ring continues right after a stretch with exactly
// the sample it was about to deliver.
TEST_P(PluginAudio, SpliceContinuesWithTheUnstretchedSample) {
  Echo moved(GetParam()), still(GetParam());
  ASSERT_TRUE(moved.ok() && still.ok());
  for (Echo* e : {&moved, &still}) {
    e->hearEchoOnly(0.0f);
    e->set(kRange, 0.0f);
    e->set(kKnobDust, 0.0f);
    e->restart();
  }
  auto l = noise<double>(2000, 5), r = noise<double>(2000, 6);
  std::vector<double> ol, orr, sl, sr;
  moved.process(l, r, ol, orr, 1000);
  still.process(l, r, sl, sr, 1000);
  moved.set(kDelay, kSixtyMs);
  std::vector<double> z(300), ml, mr, zl, zr;
  moved.process(z, z, ml, mr, 300);
  still.process(z, z, zl, zr, 300);
  EXPECT_EQ(ml[0], zl[0]);
  EXPECT_NE(ml[0], 0.0);
  EXPECT_NEAR(ml[1], zl[1], 0.05);
}

TEST_P(PluginAudio, SilenceGivesTinyOutputsOfAlternatingSign) {
  Echo e(GetParam());
  ASSERT_TRUE(e.ok());
  e.set(kLevel, 0.5f);
  std::vector<double> z(512 * 4), ol, orr;
  e.restart();
  e.process(z, z, ol, orr, 512);
  for (int block = 1; block < 4; ++block) {
    const double end = ol[512 * block + 511];
    EXPECT_GT(std::fabs(end), 1e-16);
    EXPECT_LT(std::fabs(end), 1e-14);
    EXPECT_LT(end * ol[512 * block - 1], 0.0) << block;
    EXPECT_EQ(orr[512 * block + 511], end);  // "Pan" 0.5
  }
}

TEST_P(PluginAudio, SingleAndDoublePrecisionAgree) {
  Echo e32(GetParam()), e64(GetParam());
  ASSERT_TRUE(e32.ok() && e64.ok());
  for (Echo* e : {&e32, &e64}) {
    e->hearEchoOnly(0.3f);
    e->set(kDry, 0.6f);
    e->set(kRepeat, 0.6f);
    e->set(kXFeed, 0.4f);
    e->restart();
  }
  auto l32 = noise<float>(40000, 7), r32 = noise<float>(40000, 8);
  std::vector<double> l64(l32.begin(), l32.end()), r64(r32.begin(), r32.end());
  std::vector<float> o32l, o32r;
  std::vector<double> o64l, o64r;
  e32.process(l32, r32, o32l, o32r);
  e64.process(l64, r64, o64l, o64r);
  for (size_t i = 0; i < l32.size(); ++i) {
    ASSERT_EQ(o32l[i], static_cast<float>(o64l[i])) << i;
    ASSERT_EQ(o32r[i], static_cast<float>(o64r[i])) << i;
  }
}

TEST_P(PluginAudio, PassesThroughWithoutAUsableRate) {
  for (float rate : {0.0f, -48000.0f, NAN, 1.0f, 30.0f, 1.0e7f, 44100.0f}) {
    SCOPED_TRACE(rate);
    Echo e(GetParam(), rate, rate != 44100.0f);  // 44100: the rate is never sent
    ASSERT_TRUE(e.ok());
    e.hearEchoOnly();
    e.set(kRepeat, 1.0f);
    auto l = noise<float>(3000, 9), r = noise<float>(3000, 10);
    std::vector<float> ol, orr;
    e.process(l, r, ol, orr);
    EXPECT_EQ(ol, l);
    EXPECT_EQ(orr, r);
  }
}

TEST_P(PluginAudio, NullChannelArraysWriteNothing) {
  Echo e(GetParam());
  ASSERT_TRUE(e.ok());
  float in[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  float out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  float* ins[2] = {in, nullptr};
  float* outs[2] = {out, out + 4};
  e.effect()->processReplacing(e.effect(), ins, outs, 4);
  e.effect()->processReplacing(e.effect(), nullptr, outs, 4);
  e.effect()->processReplacing(e.effect(), outs, nullptr, 4);
  for (float v : out) EXPECT_EQ(v, 9.0f);
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, PluginAudio, ::testing::Values(QTAPG_PATH, QTAP_PATH));

}  // namespace
