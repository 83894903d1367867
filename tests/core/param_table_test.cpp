// The parameter table as hosts of every format read it.
#include "core/param_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace quillet::core {
namespace {

TEST(ParamTable, IdentifiersAreStableAndUnique) {
  std::set<std::string> symbols;
  std::set<uint32_t> ids;
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    const QuilletParamSpec& p = kQuilletParams[i];
    // The numeric id is the index: a host moving a VST 2.4 project to a newer
    // format finds each parameter under the number it had.
    EXPECT_EQ(p.id, static_cast<uint32_t>(i)) << p.name;
    EXPECT_EQ(paramIndexForId(p.id), i);
    EXPECT_TRUE(symbols.insert(p.symbol).second) << p.symbol;
    EXPECT_TRUE(ids.insert(p.id).second);
    for (const char* c = p.symbol; *c; ++c)
      EXPECT_TRUE((*c >= 'a' && *c <= 'z') || *c == '_') << p.symbol;
    EXPECT_LE(std::strlen(p.name), 8u) << p.name;
    EXPECT_LE(std::strlen(p.label), 8u) << p.label;
  }
  EXPECT_EQ(paramIndexForId(11), -1);
  EXPECT_EQ(paramIndexForId(0xffffffffu), -1);
  EXPECT_STREQ(kQuilletParams[quillet::engine::kParamXFeed].symbol, "x_feed");
  EXPECT_STREQ(kQuilletParams[quillet::engine::kParamMonoOut].name, "Mono Out");
}

TEST(ParamTable, KindsStepsAndPositions) {
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    const QuilletParamSpec& p = kQuilletParams[i];
    // The kind and the VST 2.4 label tell the same story.
    EXPECT_EQ(p.kind == ParamKind::Switch, std::strcmp(p.label, "n/y") == 0) << p.name;
    EXPECT_EQ(p.kind == ParamKind::Selector, std::strcmp(p.label, "typ") == 0) << p.name;
    const int32_t steps = p.stepCount();
    EXPECT_EQ(steps, p.kind == ParamKind::Continuous ? 0 : p.kind == ParamKind::Switch ? 1 : 2);
    for (int32_t k = 0; k <= steps && steps > 0; ++k) {
      ASSERT_NE(p.positionNames[k], nullptr) << p.name << " " << k;
      // Each position's value lies inside that position.
      EXPECT_EQ(paramPosition(i, paramValueOfPosition(i, k)), k) << p.name << " " << k;
    }
  }
  EXPECT_EQ(paramValueOfPosition(quillet::engine::kParamRange, 1), 0.5f);
  EXPECT_EQ(paramValueOfPosition(quillet::engine::kParamMute, 1), 1.0f);
  // The split points of a selector, and a switch on only above one half.
  EXPECT_EQ(paramPosition(quillet::engine::kParamRange, 0.33333334f), 1);
  EXPECT_EQ(paramPosition(quillet::engine::kParamRange, 0.3333333f), 0);
  EXPECT_EQ(paramPosition(quillet::engine::kParamPingPong, 0.6666666f), 2);
  EXPECT_EQ(paramPosition(quillet::engine::kParamMute, 0.5f), 0);
  EXPECT_EQ(paramPosition(quillet::engine::kParamMute, 0.50001f), 1);
}

TEST(ParamTable, DefaultsAreTheEnginesStartingValues) {
  const float expected[] = {0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f};
  const quillet::engine::EchoParams fresh;
  for (int32_t i = 0; i < kNumQuilletParams; ++i) {
    EXPECT_EQ(kQuilletParams[i].defaultValue, expected[i]) << kQuilletParams[i].name;
    EXPECT_EQ(fresh[i], expected[i]) << kQuilletParams[i].name;
  }
}

}  // namespace
}  // namespace quillet::core
