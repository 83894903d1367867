// Numbers as our command-line programs (quillet-host, quillet-k3) read them,
// wherever they come from (option values, --set values, ramp times, parameter
// indices). One rule everywhere:
// - decimal only: an optional sign, digits with an optional fraction and an
//   optional exponent ("48000", "-0.5", ".25", "1e3"); no hexadecimal;
// - nothing around the number: no spaces before or after it;
// - no NaN and no infinity, also none an exponent makes ("1e999");
// - a whole number is an optional sign and decimal digits only ("512", "+7"):
//   no fraction, exponent or hexadecimal, even one that comes out whole.
#pragma once

#include <string_view>

namespace quillet::cli {

enum class NumberText {
  kNumber,     // read; the value is finite
  kMalformed,  // not a number by the rule above
  kNotFinite,  // NaN, an infinity, or beyond the range of a double
};

NumberText readNumber(std::string_view text, double* value);
NumberText readWholeNumber(std::string_view text, double* value);

}  // namespace quillet::cli
