// One LV2 instance of Quillet K3: drives the same effect object the VST 2.4
// library hands out, exactly as a VST host would, from the LV2 ports.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <cstdint>
#include <memory>

#include "core/param_table.h"
#include "lv2/lv2_ports.h"
#include "lv2/tempo_reader.h"

class BrindleFX;

namespace quillet_lv2 {

class QuilletLv2Instance {
 public:
  // Null when the rate is unusable or the effect cannot be made. The delay
  // memory for the rate is taken here.
  static QuilletLv2Instance* create(double sampleRate, const LV2_Feature* const* features);
  ~QuilletLv2Instance();

  void connectPort(uint32_t port, void* data);
  // A fresh start: the connected control ports' values are stored, then the
  // echo is set up anew for them (empty lines at their delay length, smoothed
  // values on target), as a VST host that sets parameters before the rate.
  void activate();
  // Realtime: stores the control ports that changed, in index order, reads the
  // tempo, then processes the block. Allocates nothing.
  //
  // Hosts such as Ardour activate first and set the session's values in the
  // first runs, on silence. Until the first sound after activate nothing has
  // been heard, so such values are taken as if set at activate: silent blocks
  // are answered with silence, and at the first sound the effect restarts on
  // the stored values (no glide from the defaults, empty lines).
  void run(uint32_t frames);

 private:
  QuilletLv2Instance(BrindleFX* effect, float rate);
  // Stores each connected control port whose value is not the last one seen;
  // true when there was one.
  bool storeChangedControls();
  bool inputIsSilent(uint32_t frames) const;
  void process(uint32_t frames);

  std::unique_ptr<BrindleFX> effect;
  float rate;
  const float* controls[kNumQuilletParams] = {};
  uint32_t lastSeen[kNumQuilletParams] = {};  // bit patterns, so a NaN is stored once
  const float* audioIn[2] = {};
  float* audioOut[2] = {};
  const LV2_Atom_Sequence* control = nullptr;
  float* hostTempoOut = nullptr;
  TempoUrids urids;
  bool haveUrids = false;
  float hostTempo = 0.0f;
  // No sound has come in since activate; values stored meanwhile wait for a
  // restart at the first sound.
  bool unheard = false;
  bool restartAtSound = false;
};

}  // namespace quillet_lv2
