// When a host switches the plug-in on, nothing has been heard yet. Hosts then
// often run a few blocks of silence and set a project's values in them
// before the music starts (a DAW's export, a session being opened). So the
// echo waits for the first sound: silent blocks before it are answered with
// silence and move nothing but the stored values, and at the first sound the
// echo starts afresh on the stored values, without a glide from the old
// ones. However many silent blocks came first, and whatever was stored in
// them, the echo starts from the same place, so an export starts exactly as
// a render that begins with the sound.
//
// One rule for every edition that is switched on and off by its host (VST3,
// CLAP, LV2, the standalone program); the VST 2.4 edition runs every block
// as it comes, as it always has. Audio thread only.
#pragma once

#include <cstdint>

#include "core/echo_core.h"

namespace quillet::core {

class FirstSoundGate {
 public:
  // A fresh start (the host switched the plug-in on, or reset it): the next
  // sound is the first.
  void rearm() { waiting = true; }
  bool waitingForSound() const { return waiting; }

  // Before a block of `frames` frames of these two input channels: true when
  // the block is to be answered with silence, because nothing has sounded
  // since the fresh start and this block is silent too; the values stored so
  // far are then taken in and nothing else moves. At the first block with
  // sound the echo restarts on the stored values (cheap: its lines are still
  // empty) and false is returned; from then on always false.
  template <class Sample>
  bool holds(EchoCore& core, const Sample* const* inputs, uint32_t frames) {
    if (!waiting) return false;
    if (isSilent(inputs, frames)) {
      core.applyPendingStores();
      return true;
    }
    waiting = false;
    core.restart();
    return false;
  }

 private:
  template <class Sample>
  static bool isSilent(const Sample* const* inputs, uint32_t frames) {
    for (int c = 0; c < 2; ++c)
      for (uint32_t i = 0; i < frames; ++i)
        if (inputs[c][i] != Sample(0)) return false;
    return true;
  }

  bool waiting = true;
};

}  // namespace quillet::core
