// The built-in demo: a few seconds of stereo material that shows off an echo.
// Short plucked notes with silence between them, a sparse drum-like click
// pattern and a sustained chord that stops dead, so the repeats are heard on
// their own. Deterministic: the same samples on every run and machine.
#pragma once

#include "host/audio/audio_file.h"

namespace quillet::host {

constexpr double kDemoSeconds = 7.0;

AudioData demoMaterial(double sampleRate);

}  // namespace quillet::host
