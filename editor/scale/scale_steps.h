// The sizes the panel comes in, as factors of its 586 x 385 pixels at 1.
#pragma once

#include <optional>
#include <string_view>

namespace quillet::editor {

constexpr float kScaleSteps[] = {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f};
constexpr float kSmallestScale = 1.0f;
constexpr float kLargestScale = 3.0f;

// The step nearest to `factor`; halfway between two steps the smaller one, so
// the panel is never larger than asked. Below 1 gives 1, above 3 gives 3, and
// a factor that is not a number gives 1.
float nearestScaleStep(float factor);

// A factor as a person writes it: digits, optionally a point and more digits
// ("2", "1.5", "1.25"), at most 16 characters, from 1 to 3. Nothing for
// anything else: signs, spaces, exponents, hexadecimal, "inf" and "nan" are
// refused, not guessed at.
std::optional<float> parseScaleFactor(std::string_view text);

}  // namespace quillet::editor
