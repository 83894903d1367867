#include "vst/value_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Formats into a guarded buffer and checks nothing is written past text[maxLen].
template <typename Format>
std::string formatted(Format format, VstInt32 maxLen = 8) {
  char buffer[40];
  std::memset(buffer, '#', sizeof(buffer));
  format(buffer, maxLen);
  EXPECT_EQ(buffer[maxLen], '\0');
  for (size_t i = maxLen + 1; i < sizeof(buffer); ++i) EXPECT_EQ(buffer[i], '#') << "at " << i;
  return buffer;
}

std::string f2s(float v, VstInt32 maxLen = 8) {
  return formatted([v](char* t, VstInt32 n) { quillet::vst::float2string(v, t, n); }, maxLen);
}
std::string i2s(VstInt32 v, VstInt32 maxLen = 8) {
  return formatted([v](char* t, VstInt32 n) { quillet::vst::int2string(v, t, n); }, maxLen);
}

TEST(Float2String, WorkedResults) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.0f, "0.000000"},       {0.5f, "0.500000"},       {0.7f, "0.699999"},
      {0.0001f, "0.000099"},    {1.0f, "1.000000"},       {12.345f, "12.34500"},
      {48.7f, "48.70000"},      {250.0f, "250.0000"},     {1234.5678f, "1234.567"},
      {2500.0f, "2500.000"},    {1234567.5f, "1234567."}, {9999999.0f, "9999999."},
      {-0.5f, "-0.50000"},      {-12.25f, "-12.2500"},    {1000000000.0f, "Huge!"},
      {-10000000.0f, "Huge!"},  {0.05f, "0.050000"},      {-0.0f, "0.000000"},
      {123456.78f, "123456.7"}, {-1.0f, "-1.00000"},      {99999999.0f, "Huge!"},
      {0.25f, "0.250000"},
  };
  for (const auto& c : cases) EXPECT_EQ(f2s(c.value), c.text) << c.value;
}

TEST(Float2String, CutsToMaxLen) {
  EXPECT_EQ(f2s(12.345f, 4), "12.3");
  EXPECT_EQ(f2s(0.5f, 0), "");
  EXPECT_EQ(f2s(1e9f, 3), "Hug");
  EXPECT_EQ(f2s(0.5f, 20), "0.500000");
}

TEST(Float2String, ValuesOutsideTheBudget) {
  EXPECT_EQ(f2s(std::numeric_limits<float>::infinity()), "Huge!");
  EXPECT_EQ(f2s(-std::numeric_limits<float>::infinity()), "Huge!");
  EXPECT_EQ(f2s(std::nanf("")), "NaN");
  // Integer digits that leave no room for the point are shown without it.
  EXPECT_EQ(f2s(12345678.0f), "12345678");
  EXPECT_EQ(f2s(-1234567.0f), "-1234567");
}

TEST(Float2String, NullTextOrNegativeLimitWritesNothing) {
  quillet::vst::float2string(0.5f, nullptr, 8);
  char buffer[4] = {'x', 'x', 'x', 'x'};
  quillet::vst::float2string(0.5f, buffer, -1);
  EXPECT_EQ(std::string(buffer, 4), "xxxx");
}

TEST(Int2String, WorkedResults) {
  EXPECT_EQ(i2s(0), "0");
  EXPECT_EQ(i2s(7), "7");
  EXPECT_EQ(i2s(1200), "1200");
  EXPECT_EQ(i2s(-45), "-45");
  EXPECT_EQ(i2s(99999999), "99999999");
  EXPECT_EQ(i2s(100000000), "Huge!");
  EXPECT_EQ(i2s(12345, 3), "123");
  EXPECT_EQ(i2s(-999999999, 10), "-999999999");
  // Ten-digit negatives show every digit.
  EXPECT_EQ(i2s(-1000000000, 11), "-1000000000");
  EXPECT_EQ(i2s(std::numeric_limits<VstInt32>::min(), 11), "-2147483648");
  EXPECT_EQ(i2s(std::numeric_limits<VstInt32>::max()), "Huge!");
}

TEST(Db2String, Texts) {
  auto db = [](float v) {
    return formatted([v](char* t, VstInt32 n) { quillet::vst::dB2string(v, t, n); });
  };
  EXPECT_EQ(db(1.0f), "0.000000");
  EXPECT_EQ(db(0.0f), "-oo");
  EXPECT_EQ(db(-0.0f), "-oo");
  EXPECT_EQ(db(-3.0f), "-oo");
  EXPECT_EQ(db(0.5f), "-6.02060");  // the float nearest -6.0206 lies above it
  EXPECT_EQ(db(10.0f), "20.00000");
  EXPECT_EQ(db(std::nanf("")), "NaN");
}

TEST(Hz2StringAndMs2String, Texts) {
  auto hz = [](float s, float rate) {
    return formatted([s, rate](char* t, VstInt32 n) { quillet::vst::Hz2string(s, rate, t, n); });
  };
  auto ms = [](float s, float rate) {
    return formatted([s, rate](char* t, VstInt32 n) { quillet::vst::ms2string(s, rate, t, n); });
  };
  EXPECT_EQ(hz(100.0f, 44100.0f), "441.0000");
  EXPECT_EQ(hz(0.0f, 44100.0f), "0.000000");
  EXPECT_EQ(ms(44100.0f, 44100.0f), "1000.000");
  EXPECT_EQ(ms(441.0f, 44100.0f), "10.00000");
  EXPECT_EQ(ms(441.0f, 0.0f), "Huge!");
  EXPECT_EQ(ms(0.0f, 0.0f), "NaN");
}

}  // namespace
