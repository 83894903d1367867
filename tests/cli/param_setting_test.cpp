// `--set NAME=VALUE` as every program of ours reads it: names exact before
// loose, indices as digits only, values by the number rule within 0..1.
#include "cli/param_setting.h"

#include <gtest/gtest.h>

namespace {

using quillet::cli::ParamSetting;

const std::vector<std::string> kNames = {"Delay", "delay", "Mono Out", "-3dB", "A=B"};

ParamSetting parsed(const std::string& text) {
  ParamSetting setting;
  std::string error;
  EXPECT_TRUE(quillet::cli::parseSetting(text, kNames, "the list", &setting, &error))
      << text << ": " << error;
  return setting;
}

std::string refused(const std::string& text) {
  ParamSetting setting;
  std::string error;
  EXPECT_FALSE(quillet::cli::parseSetting(text, kNames, "the list", &setting, &error)) << text;
  return error;
}

TEST(ParamSetting, NamesExactFirstThenIgnoringCase) {
  EXPECT_EQ(parsed("Delay=0.3").index, 0u);
  EXPECT_EQ(parsed("delay=0.3").index, 1u);  // exact beats the earlier loose match
  EXPECT_EQ(parsed("DELAY=0.3").index, 0u);  // the first loose match
  EXPECT_EQ(parsed("mono out=1").index, 2u);
  EXPECT_EQ(parsed("-3dB=0").index, 3u);   // a sign does not make it a number
  EXPECT_EQ(parsed("A=B=0.5").index, 4u);  // split at the last '='
  EXPECT_EQ(parsed("2=0.25").index, 2u);
  EXPECT_EQ(parsed("004=0.25").index, 4u);
  EXPECT_FLOAT_EQ(parsed("Delay=.25").value, 0.25f);
  EXPECT_FLOAT_EQ(parsed("Delay=1e-1").value, 0.1f);
}

TEST(ParamSetting, RefusalsSayWhatIsWrong) {
  EXPECT_EQ(refused("Delay"), "--set wants NAME=VALUE, got 'Delay'");
  EXPECT_EQ(refused("=0.5"), "--set wants NAME=VALUE, got '=0.5'");
  EXPECT_EQ(refused("Tone=0.5"), "unknown parameter 'Tone' (the list lists them)");
  EXPECT_EQ(refused("5=0.5"), "parameter index 5 is out of range (the plug-in has 5 parameters)");
  EXPECT_EQ(refused("+1=0.5"), "unknown parameter '+1' (the list lists them)");
  EXPECT_EQ(refused("Delay=0,5"), "value for Delay is not a number: '0,5'");
  EXPECT_EQ(refused("Delay= 0.5"), "value for Delay is not a number: ' 0.5'");
  EXPECT_EQ(refused("Delay=1.0001"), "value for Delay is out of 0..1: 1.0001");
  EXPECT_EQ(refused("Delay=-0.1"), "value for Delay is out of 0..1: -0.1");
  EXPECT_EQ(refused("Delay=nan"), "value for Delay is out of 0..1: nan");
  EXPECT_EQ(refused("Delay=1e999"), "value for Delay is out of 0..1: 1e999");
}

}  // namespace
