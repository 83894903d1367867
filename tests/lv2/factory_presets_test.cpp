// The factory preset list: what the bundle generator and the .fxp files
// rely on, and what each kind of parameter can hold.
#include "core/factory_presets.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(FactoryPresets, NamesAndSymbolsFitTheirFiles) {
  std::set<std::string> symbols, names;
  for (const quillet::core::FactoryPreset& p : quillet::core::kFactoryPresets) {
    // A program name in an .fxp holds 27 characters and a NUL.
    EXPECT_LE(std::strlen(p.name), 27u) << p.name;
    EXPECT_GT(std::strlen(p.name), 0u);
    for (const char* c = p.name; *c; ++c) EXPECT_TRUE(*c != '"' && *c != '\\') << p.name;
    // The symbol ends a preset URI and names a file.
    ASSERT_GT(std::strlen(p.symbol), 0u);
    for (const char* c = p.symbol; *c; ++c)
      EXPECT_TRUE(std::islower(static_cast<unsigned char>(*c)) || *c == '_') << p.symbol;
    EXPECT_TRUE(symbols.insert(p.symbol).second) << "twice: " << p.symbol;
    EXPECT_TRUE(names.insert(p.name).second) << "twice: " << p.name;
  }
  EXPECT_GE(quillet::core::kNumFactoryPresets, 5);
}

TEST(FactoryPresets, ValuesSuitEachParameterKind) {
  for (const quillet::core::FactoryPreset& p : quillet::core::kFactoryPresets) {
    for (int i = 0; i < quillet::core::kNumQuilletParams; ++i) {
      const float v = p.values[i];
      EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << p.name << " " << quillet::core::kQuilletParams[i].name;
      if (quillet::core::kQuilletParams[i].kind == quillet::core::ParamKind::Switch) {
        EXPECT_TRUE(v == 0.0f || v == 1.0f)
            << p.name << " " << quillet::core::kQuilletParams[i].name;
      }
      if (quillet::core::kQuilletParams[i].kind == quillet::core::ParamKind::ThreeWay) {
        EXPECT_TRUE(v == 0.0f || v == 0.5f || v == 1.0f)
            << p.name << " " << quillet::core::kQuilletParams[i].name;
      }
    }
    // A factory preset that mutes the echo would be no echo at all.
    EXPECT_EQ(p.values[quillet::engine::kParamMute], 0.0f) << p.name;
    EXPECT_GT(p.values[quillet::engine::kParamLevel], 0.0f) << p.name;
  }
}

}  // namespace
