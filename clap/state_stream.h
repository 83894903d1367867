// The CLAP state: the effect's 44-byte state (eleven little-endian floats,
// the same bytes as the VST 2.4 chunk and the .fxp presets) behind a small
// header, so a later format can be told apart:
//
//   offset  size  content
//   0       4     "QTAP" (ASCII)
//   4       2     format version, little-endian: 1
//   6       2     payload size in bytes, little-endian: 44
//   8       44    the state
//
// A reader takes format versions it knows and refuses the rest; version 1 is
// exactly 52 bytes, with nothing after the payload. A later version keeps
// this header and bumps the version; readers keep reading version 1.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clap/interface/clap_audio_extensions.h"
#include "core/state_codec.h"

namespace quillet::clap {

using quillet::core::kStateBytes;
inline constexpr size_t kStateHeaderBytes = 8;
inline constexpr uint16_t kStateFormatVersion = 1;

using StateBytes = uint8_t[core::kStateBytes];

// Writes header and state; false when the host's stream fails or stalls.
bool writeStateStream(const clap_ostream_t* stream, const StateBytes& state);

// Reads a whole version-1 stream into state; false (state unspecified) for
// a short, long, foreign or failing stream. Stops reading at the first byte
// after the payload.
bool readStateStream(const clap_istream_t* stream, StateBytes& state);

}  // namespace quillet::clap
