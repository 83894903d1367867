// The factory presets, declared once: the LV2 bundle's presets and the .fxp
// files for VST hosts are both written from this list at build time.
#pragma once

#include "core/param_table.h"

struct FactoryPreset {
  const char* symbol;  // lowercase identifier, part of the preset's URI and file name
  const char* name;    // as preset menus show it
  // Normalised values in parameter order: Delay, Repeat, Level, Range, Mute,
  // Dry, Pan, X-Feed, Mono Out, KnobDust, PingPong.
  float values[kNumQuilletParams];
};

// Echo times in the comments are at 120 bpm where a note value is named.
inline constexpr FactoryPreset kFactoryPresets[] = {
    // 90 ms, one quiet repeat: the rockabilly vocal slap.
    {"slapback",
     "Slapback",
     {0.4615f, 0.12f, 0.55f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f}},
    // 40 ms, no repeats, each side echoed into the other: a wide double-track.
    {"doubler",
     "Cross-Feed Doubler",
     {0.0769f, 0.0f, 0.6f, 0.0f, 0.0f, 1.0f, 0.5f, 0.65f, 0.0f, 1.0f, 0.0f}},
    // 375 ms (dotted eighth), bouncing left to right from the left input;
    // repeats fade about 4.5 dB each.
    {"dotted_eighth_ping_pong",
     "Dotted Eighth Ping-Pong",
     {0.6936f, 0.3f, 0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f}},
    // 500 ms (quarter note), a few repeats darkening as they fade (about
    // 3.3 dB each).
    {"quarter_note_echo",
     "Quarter Note Echo",
     {0.8467f, 0.35f, 0.45f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f}},
    // 250 ms (eighth note) ping-pong fed from the right input, about 4 dB
    // less each repeat.
    {"eighth_pong_right",
     "Eighth Pong from the Right",
     {0.4953f, 0.32f, 0.5f, 0.5f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f}},
    // 750 ms (dotted quarter), long dub feedback (about 1.8 dB less each
    // repeat) with some cross-feed; the splice is smoothed so Delay can be
    // ridden for pitch bends.
    {"dub_throw",
     "Dub Throw",
     {0.5031f, 0.42f, 0.6f, 1.0f, 0.0f, 1.0f, 0.5f, 0.3f, 0.0f, 0.0f, 0.0f}},
    // 1.8 s loop at the edge of self-oscillation: each pass fades by about
    // 0.7 dB (17 dB in 48 s of tail); from Repeat 0.5 up the loop sustains
    // itself, held in check by the saturation.
    {"tape_loop_edge",
     "Tape Loop on the Edge",
     {0.8540f, 0.48f, 0.5f, 1.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f}},
    // 60 ms, summed to mono: a small room for a mono bus.
    {"mono_room",
     "Mono Room",
     {0.2308f, 0.3f, 0.4f, 0.0f, 0.0f, 1.0f, 0.5f, 0.2f, 1.0f, 1.0f, 0.0f}},
    // Echo only, no dry signal, 300 ms, about 2.5 dB less each repeat: for a
    // send/return bus.
    {"send_echo",
     "Send Echo 300 ms",
     {0.5828f, 0.38f, 1.0f, 0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f}},
};

inline constexpr int kNumFactoryPresets = sizeof(kFactoryPresets) / sizeof(kFactoryPresets[0]);
