// The factory presets, declared once: the LV2 bundle's presets, the .fxp
// files for VST hosts and the VST3 edition's .vstpreset files are written
// from this list at build time; the CLAP edition's preset discovery, the
// VST3 edition's program list and the panel's Presets menu read it.
#pragma once

#include "core/param_table.h"

namespace quillet::core {

struct FactoryPreset {
  const char* symbol;  // lowercase identifier, part of the preset's URI and file name
  const char* name;    // as preset menus show it
  // Normalised values in parameter order: Delay, Repeat, Level, Range, Mute,
  // Dry, Pan, X-Feed, Mono Out, KnobDust, PingPong.
  float values[kNumQuilletParams];
  // The musical style a preset browser may file it under, in the VST3
  // preset attributes' words ("Main|Sub"); null for none in particular.
  const char* style;
};

// Echo times in the comments are at 120 bpm where a note value is named.
inline constexpr FactoryPreset kFactoryPresets[] = {
    // 90 ms, one quiet repeat: the rockabilly vocal slap.
    {"slapback",
     "Slapback",
     {0.4615f, 0.12f, 0.55f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f},
     "Rock/Metal|Rockabilly"},
    // 40 ms, no repeats, each side echoed into the other: a wide double-track.
    {"doubler",
     "Cross-Feed Doubler",
     {0.0769f, 0.0f, 0.6f, 0.0f, 0.0f, 1.0f, 0.5f, 0.65f, 0.0f, 1.0f, 0.0f},
     nullptr},
    // 375 ms (dotted eighth), bouncing left to right from the left input;
    // repeats fade about 4.5 dB each.
    {"dotted_eighth_ping_pong",
     "Dotted Eighth Ping-Pong",
     {0.6936f, 0.3f, 0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f},
     nullptr},
    // 500 ms (quarter note), a few repeats darkening as they fade (about
    // 3.3 dB each).
    {"quarter_note_echo",
     "Quarter Note Echo",
     {0.8467f, 0.35f, 0.45f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f},
     nullptr},
    // 250 ms (eighth note) ping-pong fed from the right input, about 4 dB
    // less each repeat.
    {"eighth_pong_right",
     "Eighth Pong from the Right",
     {0.4953f, 0.32f, 0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f},
     nullptr},
    // 750 ms (dotted quarter), long dub feedback (about 1.8 dB less each
    // repeat) with some cross-feed; the splice is smoothed so Delay can be
    // ridden for pitch bends.
    {"dub_throw",
     "Dub Throw",
     {0.5031f, 0.42f, 0.6f, 1.0f, 0.0f, 1.0f, 0.5f, 0.3f, 0.0f, 0.0f, 0.0f},
     "Electronica/Dance|Dub"},
    // 1.8 s loop at the edge of self-oscillation: each pass fades by about
    // 0.7 dB (17 dB in 48 s of tail); from Repeat 0.5 up the loop sustains
    // itself, held in check by the saturation.
    {"tape_loop_edge",
     "Tape Loop on the Edge",
     {0.8540f, 0.48f, 0.5f, 1.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f},
     nullptr},
    // 60 ms, summed to mono: a small room for a mono bus.
    {"mono_room",
     "Mono Room",
     {0.2308f, 0.3f, 0.4f, 0.0f, 0.0f, 1.0f, 0.5f, 0.2f, 1.0f, 1.0f, 0.0f},
     nullptr},
    // Echo only, no dry signal, 300 ms, about 2.5 dB less each repeat: for a
    // send/return bus.
    {"send_echo",
     "Send Echo 300 ms",
     {0.5828f, 0.38f, 1.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f},
     nullptr},
};

inline constexpr int kNumFactoryPresets = sizeof(kFactoryPresets) / sizeof(kFactoryPresets[0]);

// The preset whose values these are, or -1 for none: every knob within a
// millionth of the preset's value (hosts may carry values as doubles or
// round them through their own texts), every switch and selector in the
// preset's position.
inline int matchingFactoryPreset(const float (&values)[kNumQuilletParams]) {
  for (int p = 0; p < kNumFactoryPresets; ++p) {
    bool same = true;
    for (int i = 0; i < kNumQuilletParams && same; ++i) {
      const float want = kFactoryPresets[p].values[i];
      same = kQuilletParams[i].kind == ParamKind::Continuous
                 ? values[i] - want <= 1e-6f && want - values[i] <= 1e-6f
                 : paramPosition(i, values[i]) == paramPosition(i, want);
    }
    if (same) return p;
  }
  return -1;
}

}  // namespace quillet::core
