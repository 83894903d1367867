#include "editor/scale/scale_source.h"

#include "editor/scale/scale_steps.h"

namespace quillet::editor {

namespace {

bool answers(const std::optional<float>& factor) { return factor && *factor > 0; }

}  // namespace

ScaleChoice chooseScale(const ScaleInputs& in) {
  if (in.environment) {
    if (const std::optional<float> f = parseScaleFactor(in.environment))
      return {nearestScaleStep(*f), ScaleSource::kEnvironment};
  }
  if (in.user && *in.user >= kSmallestScale && *in.user <= kLargestScale)
    return {nearestScaleStep(*in.user), ScaleSource::kUser};
  if (answers(in.host)) return {nearestScaleStep(*in.host), ScaleSource::kHost};
  if (answers(in.desktop)) return {nearestScaleStep(*in.desktop), ScaleSource::kDesktop};
  return {1.0f, ScaleSource::kNone};
}

}  // namespace quillet::editor
