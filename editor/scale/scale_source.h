// Which scale the panel opens at. The first source that answers wins: the
// user's own choice (the settings file), the host's factor, the desktop's
// factor, else 1; QUILLET_UI_SCALE in the environment overrides them all.
// Every answer is brought to the nearest supported step.
#pragma once

#include <optional>

namespace quillet::editor {

constexpr const char* kScaleEnvironmentVariable = "QUILLET_UI_SCALE";

enum class ScaleSource { kEnvironment, kUser, kHost, kDesktop, kNone };

struct ScaleInputs {
  // QUILLET_UI_SCALE's text, null when it is not set. A text that is not a
  // factor from 1 to 3 is ignored, as if unset: a typing slip should not
  // silently give the largest or smallest panel.
  const char* environment = nullptr;
  // The user's choice from the settings file (already checked to be 1..3).
  std::optional<float> user;
  // Factors the host and the desktop report. They are measurements, not
  // typed: one above 3 gives 3, one below 1 gives 1; zero, negative or not a
  // number counts as no answer.
  std::optional<float> host;
  std::optional<float> desktop;
};

struct ScaleChoice {
  float scale = 1.0f;
  ScaleSource source = ScaleSource::kNone;
};

ScaleChoice chooseScale(const ScaleInputs& inputs);

}  // namespace quillet::editor
