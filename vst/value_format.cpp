#include "vst/value_format.h"

#include <cmath>
#include <cstdint>

namespace quillet::vst {

namespace {

// The whole text, sign, integer digits, point and fraction, fits these many characters.
constexpr int kBudget = 8;

constexpr char kHuge[] = "Huge!";
constexpr char kMinusInfinity[] = "-oo";
constexpr char kNotANumber[] = "NaN";

char digitChar(double x) { return static_cast<char>('0' + static_cast<int>(std::fmod(x, 10.0))); }

}  // namespace

void copyText(const char* src, char* text, VstInt32 maxLen) {
  if (!text || maxLen < 0) return;
  VstInt32 i = 0;
  if (src) {
    for (; i < maxLen && src[i] != '\0'; ++i) text[i] = src[i];
  }
  for (; i <= maxLen; ++i) text[i] = '\0';
}

void float2string(float value, char* text, VstInt32 maxLen) {
  double v = value;
  if (std::isnan(v)) return copyText(kNotANumber, text, maxLen);

  bool negative = false;
  int used = 0;
  if (v < 0.0) {
    negative = true;
    v = -v;
    used = 1;
    if (v > 9999999.0) return copyText(kHuge, text, maxLen);
  } else if (v > 99999999.0) {
    return copyText(kHuge, text, maxLen);
  }

  // Integer digits, built from the right. The quotient is deliberately not
  // floored again: fmod of the fractional quotient still yields the digit.
  char digits[32];
  int first = sizeof(digits);
  double i = std::floor(v);
  digits[--first] = digitChar(i);
  i /= 10.0;
  while (i >= 1.0) {
    digits[--first] = digitChar(i);
    i /= 10.0;
  }
  const int numDigits = static_cast<int>(sizeof(digits)) - first;
  used += numDigits + 1;  // the digits and the point

  char scratch[32];
  int len = 0;
  if (negative) scratch[len++] = '-';
  for (int k = first; k < static_cast<int>(sizeof(digits)); ++k) scratch[len++] = digits[k];
  // Eight integer digits (seven with a sign) leave no room for the point.
  if (used <= kBudget) scratch[len++] = '.';

  if (used < kBudget) {
    const int n = kBudget - used;
    double m = std::fmod(v, 1.0) * std::pow(10.0, n);
    for (int k = n - 1; k >= 0; --k) {
      if (m <= 0.0) {
        scratch[len + k] = '0';
      } else {
        scratch[len + k] = digitChar(m);
        m /= 10.0;
      }
    }
    len += n;
  }
  scratch[len] = '\0';
  copyText(scratch, text, maxLen);
}

void int2string(VstInt32 value, char* text, VstInt32 maxLen) {
  if (value >= 100000000) return copyText(kHuge, text, maxLen);

  char scratch[16];
  int len = 0;
  int64_t magnitude = value;
  if (magnitude < 0) {
    scratch[len++] = '-';
    magnitude = -magnitude;
  }
  // Starts at 10^9 so that every negative value, the most negative included,
  // shows all of its digits.
  bool seenNonZero = false;
  for (int64_t divisor = 1000000000; divisor >= 1; divisor /= 10) {
    const int digit = static_cast<int>(magnitude / divisor);
    magnitude %= divisor;
    if (digit != 0) seenNonZero = true;
    if (seenNonZero) scratch[len++] = static_cast<char>('0' + digit);
  }
  if (!seenNonZero) scratch[len++] = '0';
  scratch[len] = '\0';
  copyText(scratch, text, maxLen);
}

bool dBIsMinusInfinity(float amplitude) { return amplitude <= 0.0f; }

float dBValue(float amplitude) {
  const float logarithm = std::log10(amplitude);  // single precision
  return static_cast<float>(20.0 * static_cast<double>(logarithm));
}

float hzValue(float samples, float sampleRate) {
  if (samples == 0.0f) return 0.0f;
  return sampleRate / samples;
}

float msValue(float samples, float sampleRate) {
  return static_cast<float>(static_cast<double>(samples) * 1000.0 /
                            static_cast<double>(sampleRate));
}

void dB2string(float value, char* text, VstInt32 maxLen) {
  if (dBIsMinusInfinity(value)) return copyText(kMinusInfinity, text, maxLen);
  float2string(dBValue(value), text, maxLen);
}

void Hz2string(float samples, float sampleRate, char* text, VstInt32 maxLen) {
  float2string(hzValue(samples, sampleRate), text, maxLen);
}

void ms2string(float samples, float sampleRate, char* text, VstInt32 maxLen) {
  float2string(msValue(samples, sampleRate), text, maxLen);
}

}  // namespace quillet::vst
