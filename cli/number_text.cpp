#include "cli/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>
#include <system_error>

namespace quillet::cli {

namespace {

size_t digitsAt(std::string_view text, size_t at) {
  size_t n = 0;
  while (at + n < text.size() && text[at + n] >= '0' && text[at + n] <= '9') ++n;
  return n;
}

size_t signAt(std::string_view text, size_t at) {
  return at < text.size() && (text[at] == '+' || text[at] == '-') ? 1 : 0;
}

// "nan", "inf", "infinity" in any case and with a sign: words strtod would
// take, told apart from other text so that a caller can say "out of range".
bool namesNonFinite(std::string_view text) {
  text.remove_prefix(signAt(text, 0));
  std::string word;
  for (char c : text) word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word == "nan" || word == "inf" || word == "infinity" || word.rfind("nan(", 0) == 0;
}

// Where the exponent starts, or the end: the text already follows the rule.
size_t exponentAt(std::string_view text) {
  const size_t e = text.find_first_of("eE");
  return e == std::string_view::npos ? text.size() : e;
}

// The power of ten a number beyond the range of a double has: positive for
// one too large, negative for one too small.
long magnitude(std::string_view text) {
  text.remove_prefix(signAt(text, 0));
  const size_t e = exponentAt(text);
  long exponent = 0;
  if (e < text.size()) {
    std::string_view digits = text.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    digits.remove_prefix(signAt(digits, 0));
    // Clamped: only the sign of the sum matters.
    for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
    if (negative) exponent = -exponent;
  }
  const std::string_view mantissa = text.substr(0, e);
  const size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const size_t firstNonZero = whole.find_first_not_of('0');
  if (firstNonZero != std::string_view::npos)
    return exponent + static_cast<long>(whole.size() - firstNonZero);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
  const size_t leadingZeros = fraction.find_first_not_of('0');
  return exponent - static_cast<long>(leadingZeros == std::string_view::npos ? 0 : leadingZeros);
}

// The value of a text that follows the rule; from_chars reads it the same
// whatever locale a loaded plug-in may have set.
NumberText convert(std::string_view text, double* value) {
  std::string_view digits = text;
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  double v = 0.0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude(text) > 0) return NumberText::kNotFinite;
    v = text[0] == '-' ? -0.0 : 0.0;  // smaller than the smallest double
  } else if (ec != std::errc() || end != digits.data() + digits.size()) {
    return NumberText::kMalformed;
  }
  *value = v;
  return NumberText::kNumber;
}

}  // namespace

NumberText readNumber(std::string_view text, double* value) {
  size_t at = signAt(text, 0);
  const size_t whole = digitsAt(text, at);
  at += whole;
  size_t fraction = 0;
  if (at < text.size() && text[at] == '.') {
    fraction = digitsAt(text, at + 1);
    at += 1 + fraction;
  }
  if (whole + fraction == 0)
    return namesNonFinite(text) ? NumberText::kNotFinite : NumberText::kMalformed;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    const size_t sign = signAt(text, at + 1);
    const size_t exponent = digitsAt(text, at + 1 + sign);
    if (exponent == 0) return NumberText::kMalformed;
    at += 1 + sign + exponent;
  }
  if (at != text.size()) return NumberText::kMalformed;
  return convert(text, value);
}

NumberText readWholeNumber(std::string_view text, double* value) {
  const size_t sign = signAt(text, 0);
  const size_t digits = digitsAt(text, sign);
  if (digits == 0 || sign + digits != text.size())
    return namesNonFinite(text) ? NumberText::kNotFinite : NumberText::kMalformed;
  return convert(text, value);
}

}  // namespace quillet::cli
