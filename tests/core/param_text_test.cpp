// Values as text and back, as a host shows them and a user types them.
#include "core/param_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace quillet::core {
namespace {

ParamTextContext at(float range, float sampleRate) {
  ParamTextContext c;
  c.range = range;
  c.sampleRate = sampleRate;
  return c;
}

std::string text(int32_t index, float value, const ParamTextContext& c = ParamTextContext{}) {
  char buffer[32];
  EXPECT_TRUE(formatParamText(index, value, c, buffer, sizeof buffer)) << index << " " << value;
  return buffer;
}

std::string vst24(float value) {
  char buffer[16];
  EXPECT_TRUE(formatVst24Text(value, buffer, sizeof buffer));
  return buffer;
}

// The value a text stands for, or -1 when it is refused.
float parsed(int32_t index, const char* t, const ParamTextContext& c = ParamTextContext{}) {
  float v = -1.0f;
  return parseParamText(index, t, c, &v) ? v : -1.0f;
}

// The number at the start of a text (ms, %, or the balance after L/R).
double numberIn(const std::string& t) {
  const char* p = t.c_str();
  if (*p == 'L' || *p == 'R') {
    const double amount = std::strtod(p + 1, nullptr);
    return *p == 'L' ? -amount : amount;
  }
  if (*p == 'C') return 0.0;
  return std::strtod(p, nullptr);
}

TEST(ParamText, Vst24TextIsTheNormalisedValueCutToSixDecimals) {
  EXPECT_EQ(vst24(0.25f), "0.250000");
  EXPECT_EQ(vst24(0.5f), "0.500000");
  EXPECT_EQ(vst24(1.0f), "1.000000");
  EXPECT_EQ(vst24(0.7f), "0.699999");
  EXPECT_EQ(vst24(0.05f), "0.050000");
  EXPECT_EQ(vst24(0.0f), "0.000000");
  float v = -1.0f;
  EXPECT_TRUE(parseVst24Text("0.250000", &v));
  EXPECT_EQ(v, 0.25f);
  EXPECT_TRUE(parseVst24Text(" 1.5 ", &v));
  EXPECT_EQ(v, 1.0f) << "clamped";
  EXPECT_TRUE(parseVst24Text("-2", &v));
  EXPECT_EQ(v, 0.0f);
  EXPECT_TRUE(parseVst24Text("0,5", &v));
  EXPECT_EQ(v, 0.5f);
  for (const char* garbage : {"", " ", "x", "0.5x", "nan", "inf", "1e-3", ".", "--1", "0.5 ms"})
    EXPECT_FALSE(parseVst24Text(garbage, &v)) << garbage;
  EXPECT_FALSE(parseVst24Text(nullptr, &v));
}

TEST(ParamText, DelayIsTheEchoTimeForTheRangeAndRate) {
  // The curve alone before a rate is known.
  EXPECT_EQ(text(engine::kParamDelay, 0.5f, at(0.0f, 0.0f)), "95.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, 0.0f, at(1.0f, 0.0f)), "480.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, 1.0f, at(1.0f, 48000.0f)), "2600.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, 0.6936f, at(0.5f, 48000.0f)), "375.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, 1.0f, at(0.0f, 44100.0f)), "160.0 ms");
  // The line is whole samples long, as the engine makes it: 9.5 samples at
  // 100 Hz are 9, that is 90 ms.
  EXPECT_EQ(text(engine::kParamDelay, 0.5f, at(0.0f, 100.0f)), "90.0 ms");
  EXPECT_DOUBLE_EQ(delayTimeMs(0.5f, 0.0f, 100.0f), 90.0);
  // A rate the engine cannot run at counts as none.
  EXPECT_EQ(text(engine::kParamDelay, 0.5f, at(0.0f, 2e6f)), "95.0 ms");
}

TEST(ParamText, DelayFromTextInMillisecondsOrSeconds) {
  const ParamTextContext c = at(0.5f, 48000.0f);
  EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, "375 ms", c), c), "375.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, "0.375 s", c), c), "375.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, "375,0", c), c), "375.0 ms");
  EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, "375.0MS", c), c), "375.0 ms");
  EXPECT_EQ(parsed(engine::kParamDelay, "10 ms", c), 0.0f) << "below the range: its shortest";
  EXPECT_EQ(parsed(engine::kParamDelay, "5000", c), 1.0f) << "above: its longest";
  EXPECT_EQ(parsed(engine::kParamDelay, "100", at(0.0f, 0.0f)), static_cast<float>(70.0 / 130.0));
  EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, "100", at(0.0f, 48000.0f)),
                 at(0.0f, 48000.0f)),
            "100.0 ms");
  // At 100 Hz a sample is 10 ms: each whole length is reached from its text.
  const ParamTextContext slow = at(0.0f, 100.0f);
  for (int ms = 30; ms <= 160; ms += 10) {
    const std::string typed = std::to_string(ms) + ".0 ms";
    EXPECT_EQ(text(engine::kParamDelay, parsed(engine::kParamDelay, typed.c_str(), slow), slow),
              typed);
  }
  for (const char* garbage : {"", "ms", "fast", "12 kg", "1e3", "3 ms ms", "- 3", "inf ms"})
    EXPECT_EQ(parsed(engine::kParamDelay, garbage, c), -1.0f) << garbage;
}

TEST(ParamText, PercentagesAndTheRepeatGain) {
  EXPECT_EQ(text(engine::kParamRepeat, 0.42f), "84.0 %");
  EXPECT_EQ(text(engine::kParamRepeat, 1.0f), "200.0 %");
  EXPECT_EQ(text(engine::kParamRepeat, 0.0f), "0.0 %");
  EXPECT_EQ(text(engine::kParamLevel, 0.5f), "50.0 %");
  EXPECT_EQ(text(engine::kParamDry, 1.0f), "100.0 %");
  EXPECT_EQ(text(engine::kParamXFeed, 0.65f), "65.0 %");
  EXPECT_EQ(parsed(engine::kParamRepeat, "84 %"), 0.42f);
  EXPECT_EQ(parsed(engine::kParamRepeat, "100"), 0.5f);
  EXPECT_EQ(parsed(engine::kParamRepeat, "250 %"), 1.0f);
  EXPECT_EQ(parsed(engine::kParamLevel, "-5"), 0.0f);
  EXPECT_EQ(parsed(engine::kParamDry, "37,5%"), 0.375f);
  EXPECT_EQ(parsed(engine::kParamXFeed, "50 percent"), -1.0f);
  EXPECT_EQ(parsed(engine::kParamLevel, "% 50"), -1.0f);
}

TEST(ParamText, PanIsABalance) {
  EXPECT_EQ(text(engine::kParamPan, 0.3f), "L 40");
  EXPECT_EQ(text(engine::kParamPan, 0.5f), "C");
  EXPECT_EQ(text(engine::kParamPan, 0.7f), "R 40");
  EXPECT_EQ(text(engine::kParamPan, 0.0f), "L 100");
  EXPECT_EQ(text(engine::kParamPan, 1.0f), "R 100");
  EXPECT_EQ(parsed(engine::kParamPan, "L 40"), 0.3f);
  EXPECT_EQ(parsed(engine::kParamPan, "l40"), 0.3f);
  EXPECT_EQ(parsed(engine::kParamPan, "R 40 %"), 0.7f);
  EXPECT_EQ(parsed(engine::kParamPan, "-40"), 0.3f);
  EXPECT_EQ(parsed(engine::kParamPan, "C"), 0.5f);
  EXPECT_EQ(parsed(engine::kParamPan, " centre "), 0.5f);
  EXPECT_EQ(parsed(engine::kParamPan, "R 140"), 1.0f);
  for (const char* garbage : {"L", "L -40", "X 40", "C 3", "LR 3", ""})
    EXPECT_EQ(parsed(engine::kParamPan, garbage), -1.0f) << garbage;
}

TEST(ParamText, SwitchesAndSelectorsByTheirPositions) {
  EXPECT_EQ(text(engine::kParamMute, 1.0f), "on");
  EXPECT_EQ(text(engine::kParamMute, 0.5f), "off");
  EXPECT_EQ(text(engine::kParamKnobDust, 0.50001f), "on");
  EXPECT_EQ(text(engine::kParamRange, 0.0f), "30-160 ms");
  EXPECT_EQ(text(engine::kParamRange, 0.33333334f), "120-650 ms");
  EXPECT_EQ(text(engine::kParamRange, 0.6666666f), "480-2600 ms");
  EXPECT_EQ(text(engine::kParamPingPong, 0.0f), "normal");
  EXPECT_EQ(text(engine::kParamPingPong, 0.5f), "ping");
  EXPECT_EQ(text(engine::kParamPingPong, 0.9f), "pong");
  EXPECT_EQ(parsed(engine::kParamMute, "ON"), 1.0f);
  EXPECT_EQ(parsed(engine::kParamMute, " off "), 0.0f);
  EXPECT_EQ(parsed(engine::kParamMonoOut, "yes"), 1.0f);
  EXPECT_EQ(parsed(engine::kParamMonoOut, "No"), 0.0f);
  EXPECT_EQ(parsed(engine::kParamPingPong, "Pong"), 1.0f);
  EXPECT_EQ(parsed(engine::kParamPingPong, "ping"), 0.5f);
  EXPECT_EQ(parsed(engine::kParamRange, "480-2600 ms"), 1.0f);
  EXPECT_EQ(parsed(engine::kParamRange, "120 - 650"), 0.5f);
  EXPECT_EQ(parsed(engine::kParamRange, "ping"), -1.0f);
  EXPECT_EQ(parsed(engine::kParamPingPong, "yes"), -1.0f);
  EXPECT_EQ(parsed(engine::kParamMute, "1"), -1.0f);
  EXPECT_EQ(parsed(engine::kParamMute, "maybe"), -1.0f);
}

TEST(ParamText, RefusesWhatItCannotWrite) {
  char small[4] = "xyz";
  EXPECT_FALSE(formatParamText(engine::kParamRange, 1.0f, ParamTextContext{}, small, sizeof small));
  EXPECT_STREQ(small, "");
  char buffer[32];
  EXPECT_FALSE(formatParamText(kNumQuilletParams, 0.5f, ParamTextContext{}, buffer, 32));
  EXPECT_FALSE(formatParamText(-1, 0.5f, ParamTextContext{}, buffer, 32));
  EXPECT_FALSE(formatParamText(engine::kParamDry, std::nanf(""), ParamTextContext{}, buffer, 32));
  EXPECT_TRUE(formatParamText(engine::kParamDry, 7.0f, ParamTextContext{}, buffer, 32));
  EXPECT_STREQ(buffer, "100.0 %") << "outside 0..1: the nearest end";
  float v = 0.25f;
  EXPECT_FALSE(parseParamText(kNumQuilletParams, "1", ParamTextContext{}, &v));
  EXPECT_FALSE(parseParamText(engine::kParamDry, nullptr, ParamTextContext{}, &v));
  EXPECT_EQ(v, 0.25f);
}

// Every text a value gets reads back to a value with the same text, give or
// take one step of the text (0.1 ms or one sample, 0.1 %, 1 of balance).
TEST(ParamText, EveryTextReadsBackWithinOneStep) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (float rate : {0.0f, 100.0f, 8000.0f, 44100.0f, 48000.0f, 192000.0f, 1e6f}) {
    for (float range : {0.0f, 0.5f, 1.0f}) {
      const ParamTextContext c = at(range, rate);
      for (int n = 0; n < 400; ++n) {
        const float v = n == 0 ? 0.0f : n == 1 ? 1.0f : unit(gen);
        for (int32_t i = 0; i < kNumQuilletParams; ++i) {
          const std::string first = text(i, v, c);
          const float back = parsed(i, first.c_str(), c);
          ASSERT_GE(back, 0.0f) << first;
          const std::string again = text(i, back, c);
          if (kQuilletParams[i].kind != ParamKind::Continuous) {
            EXPECT_EQ(again, first);
            continue;
          }
          double step = i == engine::kParamPan ? 1.0 : 0.1;
          if (i == engine::kParamDelay && rate > 0.0f) step = std::fmax(step, 1000.0 / rate);
          EXPECT_LE(std::fabs(numberIn(again) - numberIn(first)), step * 1.0001)
              << kQuilletParams[i].name << " " << v << " at " << rate << ": " << first << " -> "
              << again;
        }
        const std::string plain = vst24(v);
        float back = -1.0f;
        ASSERT_TRUE(parseVst24Text(plain.c_str(), &back));
        // Cut after six decimals: less by up to one step (and a float's rounding).
        EXPECT_LE(std::fabs(back - v), 1.2e-6f) << plain;
      }
    }
  }
}

}  // namespace
}  // namespace quillet::core
