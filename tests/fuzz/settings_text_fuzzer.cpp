// Any bytes as the panel's settings file, as QUILLET_UI_SCALE and as the
// desktop's Xft.dpi and GDK_SCALE: reading never fails, a size read is always
// one the panel has, and what is written back reads the same.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/scale/scale_source.h"
#include "editor/scale/scale_steps.h"
#include "editor/scale/settings_text.h"
#include "platform/desktop_scale.h"

using namespace quillet;

namespace {

bool isStep(float scale) {
  for (float step : quillet::editor::kScaleSteps)
    if (scale == step) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quillet::editor::UserSettings settings = quillet::editor::parseSettings(text);
  if (settings.uiScale && !(*settings.uiScale >= 1.0f && *settings.uiScale <= 3.0f)) std::abort();

  const quillet::editor::UserSettings again =
      quillet::editor::parseSettings(formatSettings(settings));
  if (again.uiScale.has_value() != settings.uiScale.has_value()) std::abort();
  if (settings.uiScale && std::fabs(*again.uiScale - *settings.uiScale) > 0.005f) std::abort();

  // The same bytes as the environment variable (up to its first NUL, as the
  // environment would hand them over).
  const std::string environment(text.substr(0, text.find('\0')));
  quillet::editor::ScaleInputs inputs;
  inputs.environment = environment.c_str();
  inputs.user = settings.uiScale;
  const quillet::editor::ScaleChoice choice = chooseScale(inputs);
  if (!isStep(choice.scale)) std::abort();
  if (choice.source == quillet::editor::ScaleSource::kEnvironment &&
      !quillet::editor::parseScaleFactor(environment))
    std::abort();

  // A desktop's factor is positive and finite, and the chooser takes it in.
  for (const std::optional<float> desktop :
       {quillet::platform::xftDpiScale(text), quillet::platform::gdkScale(environment.c_str())}) {
    if (!desktop) continue;
    if (!(*desktop > 0.0f && *desktop <= 2000.0f / 96.0f)) std::abort();
    quillet::editor::ScaleInputs fromDesktop;
    fromDesktop.desktop = desktop;
    if (!isStep(quillet::editor::chooseScale(fromDesktop).scale)) std::abort();
  }
  return 0;
}
