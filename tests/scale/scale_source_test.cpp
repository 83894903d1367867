// Which size the panel opens at: the factor's spelling, the steps it is
// brought to, and the order of the sources.
#include "editor/scale/scale_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/scale/scale_steps.h"

using namespace quillet;

namespace {

TEST(ScaleFactorText, PlainDecimalsFromOneToThree) {
  EXPECT_EQ(quillet::editor::parseScaleFactor("1"), 1.0f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("2"), 2.0f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("3"), 3.0f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("1.25"), 1.25f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("1.5"), 1.5f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("2.50"), 2.5f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("3.000"), 3.0f);
  EXPECT_EQ(quillet::editor::parseScaleFactor("01.75"), 1.75f);
  EXPECT_FLOAT_EQ(*quillet::editor::parseScaleFactor("1.3"), 1.3f);
}

TEST(ScaleFactorText, RefusesAnythingElse) {
  for (const char* text : {"",
                           " 2",
                           "2 ",
                           "+2",
                           "-2",
                           "2.",
                           ".5",
                           "1e0",
                           "0x2",
                           "inf",
                           "nan",
                           "NaN",
                           "2,5",
                           "1.5.0",
                           "2x",
                           "150%",
                           "0.99",
                           "0",
                           "3.01",
                           "4",
                           "1000000",
                           "99999999999999999999",
                           "3.00000000000001"})
    EXPECT_FALSE(quillet::editor::parseScaleFactor(text).has_value()) << '"' << text << '"';
  // A NUL inside the text ends nothing: the whole view is read.
  EXPECT_FALSE(quillet::editor::parseScaleFactor(std::string_view("2\0", 2)).has_value());
}

TEST(ScaleSteps, NearestStepWithTiesGoingDown) {
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.0f), 1.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.1f), 1.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.125f), 1.0f);  // halfway: the smaller
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.13f), 1.25f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.3f), 1.25f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(1.875f), 1.75f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(2.2f), 2.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(2.25f), 2.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(2.26f), 2.5f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(2.75f), 2.5f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(2.8f), 3.0f);
  for (float step : quillet::editor::kScaleSteps)
    EXPECT_EQ(quillet::editor::nearestScaleStep(step), step);
}

TEST(ScaleSteps, OutOfRangeFactorsEndAtTheLimits) {
  EXPECT_EQ(quillet::editor::nearestScaleStep(0.5f), 1.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(0.0f), 1.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(-2.0f), 1.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(4.0f), 3.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(std::numeric_limits<float>::infinity()), 3.0f);
  EXPECT_EQ(quillet::editor::nearestScaleStep(std::numeric_limits<float>::quiet_NaN()), 1.0f);
}

TEST(ScaleChoice, NothingSaidGivesTodaysPanel) {
  const quillet::editor::ScaleChoice c =
      quillet::editor::chooseScale(quillet::editor::ScaleInputs());
  EXPECT_EQ(c.scale, 1.0f);
  EXPECT_EQ(c.source, quillet::editor::ScaleSource::kNone);
}

TEST(ScaleChoice, FirstSourceThatAnswersWins) {
  quillet::editor::ScaleInputs in;
  in.desktop = 1.5f;
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.5f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kDesktop);
  in.host = 2.0f;
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 2.0f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kHost);
  in.user = 1.25f;
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.25f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kUser);
  in.environment = "3";
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 3.0f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kEnvironment);
  // The user's choice of 1 is an answer too: it beats a host at 2.
  in.environment = nullptr;
  in.user = 1.0f;
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.0f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kUser);
}

TEST(ScaleChoice, UnusableEnvironmentIsIgnoredNotClamped) {
  quillet::editor::ScaleInputs in;
  in.host = 2.0f;
  for (const char* text : {"", "0", "5", "abc", "nan", "2 ", "-1", "1e9"}) {
    in.environment = text;
    EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kHost)
        << '"' << text << '"';
    EXPECT_EQ(quillet::editor::chooseScale(in).scale, 2.0f);
  }
  in.environment = "1.3";
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.25f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kEnvironment);
}

TEST(ScaleChoice, HostAndDesktopFactorsAreBroughtIntoRange) {
  quillet::editor::ScaleInputs in;
  in.host = 4.0f;  // a host at 400%: the largest panel there is
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 3.0f);
  in.host = 0.75f;  // a host at 75%: today's panel, and the host has answered
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.0f);
  EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kHost);
  in.host = 144.0f / 96.0f;
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.5f);
  in.host = 110.0f / 96.0f;  // 1.146: nearer 1.25 than 1
  EXPECT_EQ(quillet::editor::chooseScale(in).scale, 1.25f);
  in.desktop = 2.0f;
  for (float nonsense : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}) {
    in.host = nonsense;
    EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kDesktop);
    EXPECT_EQ(quillet::editor::chooseScale(in).scale, 2.0f);
  }
}

TEST(ScaleChoice, UserValueOutsideTheRangeIsNoChoice) {
  quillet::editor::ScaleInputs in;
  in.desktop = 2.0f;
  for (float bad : {0.5f, 3.5f, std::numeric_limits<float>::quiet_NaN()}) {
    in.user = bad;
    EXPECT_EQ(quillet::editor::chooseScale(in).source, quillet::editor::ScaleSource::kDesktop);
  }
}

}  // namespace
