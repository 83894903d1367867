#include "core/param_text.h"

#include <cmath>
#include <cstring>

#include "engine/delay_length.h"

namespace quillet::core {

namespace {

// ---- writing ---------------------------------------------------------------

// Appends to a bounded text; remembers when something did not fit.
class TextWriter {
 public:
  TextWriter(char* text, size_t size) : text(text), size(size) {
    if (size > 0) text[0] = '\0';
  }
  void put(char c) {
    if (length + 1 >= size) {
      overflow = true;
      return;
    }
    text[length++] = c;
    text[length] = '\0';
  }
  void put(const char* s) {
    while (*s) put(*s++);
  }
  // x with one decimal, rounded half away from zero ("311.0", "-0.5").
  void putTenths(double x) {
    long long tenths = std::llround(x * 10.0);
    if (tenths < 0) {
      put('-');
      tenths = -tenths;
    }
    putWhole(tenths / 10);
    put('.');
    put(static_cast<char>('0' + tenths % 10));
  }
  void putWhole(long long n) {
    char digits[24];
    int count = 0;
    do {
      digits[count++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n > 0);
    while (count > 0) put(digits[--count]);
  }
  bool finish() {
    if (overflow && size > 0) text[0] = '\0';
    return !overflow && size > 0;
  }

 private:
  char* text;
  size_t size;
  size_t length = 0;
  bool overflow = false;
};

float clampUnit(float v) { return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v; }

// ---- reading ---------------------------------------------------------------

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void skipSpaces(const char*& p) {
  while (isSpace(*p)) ++p;
}

// Reads a word (case ignored) if the text continues with it.
bool readWord(const char*& p, const char* word) {
  const char* q = p;
  for (; *word; ++word, ++q)
    if (lower(*q) != *word) return false;
  p = q;
  return true;
}

// A decimal number: optional sign, digits, and a fraction after a point or a
// comma. No exponent, no "inf" or "nan".
bool readNumber(const char*& p, double* number) {
  const char* q = p;
  bool negative = false;
  if (*q == '+' || *q == '-') negative = *q++ == '-';
  double whole = 0.0;
  int digits = 0;
  for (; *q >= '0' && *q <= '9'; ++q, ++digits) whole = whole * 10.0 + (*q - '0');
  double fraction = 0.0, scale = 1.0;
  if (*q == '.' || *q == ',') {
    ++q;
    for (; *q >= '0' && *q <= '9'; ++q, ++digits) {
      fraction = fraction * 10.0 + (*q - '0');
      scale *= 10.0;
    }
  }
  if (digits == 0) return false;
  const double value = whole + fraction / scale;
  if (!std::isfinite(value)) return false;
  *number = negative ? -value : value;
  p = q;
  return true;
}

// The whole text is a number followed by nothing or by one of the units.
bool readQuantity(const char* text, const char* const* units, int unitCount, double* number,
                  int* unit) {
  const char* p = text;
  skipSpaces(p);
  if (!readNumber(p, number)) return false;
  skipSpaces(p);
  *unit = -1;
  for (int u = 0; u < unitCount && *unit < 0; ++u)
    if (readWord(p, units[u])) *unit = u;
  skipSpaces(p);
  return *p == '\0';
}

// The text, spaces dropped and letters lowered, equals the name so treated;
// a name ending in " ms" also matches without it.
bool matchesName(const char* text, const char* name) {
  char a[64], b[64];
  size_t na = 0, nb = 0;
  for (const char* p = text; *p; ++p) {
    if (isSpace(*p)) continue;
    if (na + 1 >= sizeof a) return false;
    a[na++] = lower(*p);
  }
  for (const char* p = name; *p; ++p)
    if (!isSpace(*p) && nb + 1 < sizeof b) b[nb++] = lower(*p);
  if (na == nb && std::memcmp(a, b, na) == 0) return na > 0;
  return nb > 2 && na == nb - 2 && std::memcmp(b + nb - 2, "ms", 2) == 0 &&
         std::memcmp(a, b, na) == 0 && na > 0;
}

// ---- "Delay" ---------------------------------------------------------------

// Shortest and longest time of each "Range" position, in ms.
constexpr double kRangeMs[3][2] = {{30.0, 160.0}, {120.0, 650.0}, {480.0, 2600.0}};

bool rateKnown(float sampleRate) { return engine::delayCapacity(sampleRate) > 0; }

// The "Delay" value whose curve gives ms at this position (ms within range).
float delayForCurveMs(double ms, int position) {
  const double lo = kRangeMs[position][0], hi = kRangeMs[position][1];
  const double x = (ms - lo) / (hi - lo);
  if (!(x > 0.0)) return 0.0f;
  if (x >= 1.0) return 1.0f;
  const double v = position == 0 ? x : position == 1 ? std::sqrt(x) : std::cbrt(x);
  return clampUnit(static_cast<float>(v));
}

float delayForText(double ms, const ParamTextContext& context) {
  const int position = engine::threeWayPosition(context.range);
  const double lo = kRangeMs[position][0], hi = kRangeMs[position][1];
  if (!(ms > lo)) return 0.0f;
  if (ms >= hi) return 1.0f;
  if (!rateKnown(context.sampleRate)) return delayForCurveMs(ms, position);
  // The line is a whole number of samples long: aim at the middle of the
  // nearest whole length, so that rounding in the text or the curve cannot
  // tip the value onto the next length.
  const double samplesPerMs = static_cast<double>(context.sampleRate) * 0.001;
  const double length = std::floor(ms * samplesPerMs + 0.5);
  return delayForCurveMs((length + 0.5) / samplesPerMs, position);
}

// ---- the musician's texts by kind ------------------------------------------

void writeBalance(TextWriter& out, float value) {
  const long long balance = std::llround((static_cast<double>(value) - 0.5) * 200.0);
  if (balance == 0) return out.put("C");
  out.put(balance < 0 ? "L " : "R ");
  out.putWhole(balance < 0 ? -balance : balance);
}

bool readBalance(const char* text, float* value) {
  const char* p = text;
  skipSpaces(p);
  double sign = 0.0;
  if (readWord(p, "centre") || readWord(p, "center") || readWord(p, "c")) {
    skipSpaces(p);
    if (*p != '\0') return false;
    *value = 0.5f;
    return true;
  }
  if (readWord(p, "l"))
    sign = -1.0;
  else if (readWord(p, "r"))
    sign = 1.0;
  skipSpaces(p);
  double amount;
  int unit;
  static const char* const kPercent[] = {"%"};
  if (!readQuantity(p, kPercent, 1, &amount, &unit)) return false;
  if (sign != 0.0) {
    if (amount < 0.0) return false;  // "L -40" says nothing clear
    amount *= sign;
  }
  *value = clampUnit(static_cast<float>(0.5 + amount / 200.0));
  return true;
}

// Percent of the value times this scale: the loop gain shows 2v.
double percentScale(const QuilletParamSpec& param) {
  return param.text == TextStyle::LoopGain ? 200.0 : 100.0;
}

bool inTable(int32_t index) { return index >= 0 && index < kNumQuilletParams; }

}  // namespace

double delayTimeMs(float delay, float range, float sampleRate) {
  // Without a rate, the curve alone: its samples at 1000 Hz are its milliseconds.
  if (!rateKnown(sampleRate)) return engine::delaySamples(delay, range, 1000.0f);
  const int32_t length = engine::wholeDelayLength(engine::delaySamples(delay, range, sampleRate),
                                                  engine::delayCapacity(sampleRate));
  return static_cast<double>(length) * 1000.0 / static_cast<double>(sampleRate);
}

bool formatVst24Text(float value, char* text, size_t size) {
  TextWriter out(text, size);
  if (std::isnan(value)) return false;
  // The formatting of the VST 2.4 edition's float2string for 0..1: the
  // integer digit, a point, and six decimals written from the last to the
  // first, each taken from the remaining fraction without rounding.
  const double v = clampUnit(value);
  out.put(v >= 1.0 ? '1' : '0');
  out.put('.');
  char decimals[6];
  double m = std::fmod(v, 1.0) * 1000000.0;
  for (int k = 5; k >= 0; --k) {
    if (m <= 0.0) {
      decimals[k] = '0';
    } else {
      decimals[k] = static_cast<char>('0' + static_cast<int>(std::fmod(m, 10.0)));
      m /= 10.0;
    }
  }
  for (char c : decimals) out.put(c);
  return out.finish();
}

bool parseVst24Text(const char* text, float* value) {
  if (!text) return false;
  double number;
  int unit;
  if (!readQuantity(text, nullptr, 0, &number, &unit)) return false;
  *value = clampUnit(static_cast<float>(number));
  return true;
}

bool formatParamText(const QuilletParamSpec& param, float value, const ParamTextContext& context,
                     char* text, size_t size) {
  TextWriter out(text, size);
  if (std::isnan(value)) return false;
  const float v = clampUnit(value);
  switch (param.text) {
    case TextStyle::Positions:
      out.put(param.positionNames[positionOf(param, v)]);
      break;
    case TextStyle::EchoTime:
      out.putTenths(delayTimeMs(v, context.range, context.sampleRate));
      out.put(" ms");
      break;
    case TextStyle::Balance:
      writeBalance(out, v);
      break;
    case TextStyle::Percent:
    case TextStyle::LoopGain:
      out.putTenths(static_cast<double>(v) * percentScale(param));
      out.put(" %");
      break;
  }
  return out.finish();
}

bool formatParamText(int32_t index, float value, const ParamTextContext& context, char* text,
                     size_t size) {
  if (!inTable(index)) {
    TextWriter out(text, size);  // an empty text
    return false;
  }
  return formatParamText(kQuilletParams[index], value, context, text, size);
}

bool parseParamText(const QuilletParamSpec& param, const char* text,
                    const ParamTextContext& context, float* value) {
  if (!text) return false;
  double number;
  int unit;
  switch (param.text) {
    case TextStyle::Positions: {
      for (int32_t k = 0; k <= param.stepCount(); ++k) {
        if (matchesName(text, param.positionNames[k])) {
          *value = valueOfPosition(param, k);
          return true;
        }
      }
      // A switch also answers to the yes and no of its VST 2.4 label "n/y".
      const bool yes = matchesName(text, "yes");
      if (param.kind != ParamKind::Switch || !(yes || matchesName(text, "no"))) return false;
      *value = yes ? 1.0f : 0.0f;
      return true;
    }
    case TextStyle::Balance:
      return readBalance(text, value);
    case TextStyle::EchoTime: {
      static const char* const kTime[] = {"ms", "s"};
      if (!readQuantity(text, kTime, 2, &number, &unit)) return false;
      *value = delayForText(unit == 1 ? number * 1000.0 : number, context);
      return true;
    }
    case TextStyle::Percent:
    case TextStyle::LoopGain:
      break;
  }
  static const char* const kPercent[] = {"%"};
  if (!readQuantity(text, kPercent, 1, &number, &unit)) return false;
  *value = clampUnit(static_cast<float>(number / percentScale(param)));
  return true;
}

bool parseParamText(int32_t index, const char* text, const ParamTextContext& context,
                    float* value) {
  return inTable(index) && parseParamText(kQuilletParams[index], text, context, value);
}

}  // namespace quillet::core
