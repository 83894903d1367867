// The state a host hands over when it opens a project saved with the VST 2.4
// edition in this one (Steinberg's guideline for a VST3 plug-in that replaces
// a VST 2 plug-in): the VST 2 plug-in's whole .fxb or .fxp record, as the
// host kept it, optionally after a 'VstW' header that carries the VST 2
// plug-in's bypass state. Everything in these records is big-endian.
//
//   'VstW' header:  'VstW', size of what follows (8), version (1), bypass (0/1)
//   'CcnK' record:  'CcnK', byteSize, then by kind
//     'FPCh' program chunk: version, fxID, fxVersion, numPrograms, name[28],
//                           chunkSize at 56, chunk at 60
//     'FBCh' bank chunk:    version, fxID, fxVersion, numPrograms, 128 reserved
//                           bytes (version 2: the current program first),
//                           chunkSize at 156, chunk at 160
//     'FxCk' program:       version, fxID, fxVersion, numParams, name[28],
//                           numParams floats at 56
//     'FxBk' bank:          version, fxID, fxVersion, numPrograms, 128
//                           reserved bytes as above, then numPrograms 'FxCk'
//                           records; the current program counts
//
// Every field is checked against the bytes that are really there (byteSize,
// which writers have long filled in loosely, is not relied on); fxID must be
// the VST 2.4 edition's unique ID.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/state_codec.h"

namespace quillet::vst3 {

struct Vst2Handover {
  uint8_t state[core::kStateBytes];  // the eleven values as our own state (not yet checked)
  bool hasBypass = false;            // a 'VstW' header came first
  bool bypassed = false;             // its bypass state
};

// True when the bytes start as a VST 2 record or its 'VstW' header does; our
// own 44-byte state never does (its first float, "Delay", lies in 0..1 and
// neither tag read as a float does).
bool startsAsVst2State(const uint8_t* data, size_t size);

// Reads a handed-over state of the plug-in with the VST 2 unique ID
// `uniqueId`; false for anything else, malformed or truncated, and *out is
// then untouched.
bool readVst2State(const uint8_t* data, size_t size, uint32_t uniqueId, Vst2Handover* out);

}  // namespace quillet::vst3
