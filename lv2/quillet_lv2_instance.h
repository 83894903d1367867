// One LV2 instance of Quillet K3: the format-free core, driven from the LV2
// ports.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <cstdint>

#include "core/echo_core.h"
#include "core/first_sound.h"
#include "core/param_table.h"
#include "lv2/lv2_ports.h"
#include "lv2/tempo_reader.h"

namespace quillet::lv2 {

class QuilletLv2Instance {
 public:
  // Null when the core cannot run at the rate (EchoCore::isUsableSampleRate)
  // or memory is short. The delay memory for the rate is taken here.
  static QuilletLv2Instance* create(double sampleRate, const LV2_Feature* const* features);
  ~QuilletLv2Instance();

  void connectPort(uint32_t port, void* data);
  // A fresh start: the connected control ports' values are stored, then the
  // echo starts anew on them (empty lines at their delay length, filters at
  // rest, smoothed values on target) in the memory taken at instantiate.
  void activate();
  // Realtime: reads the tempo, stores the control ports that changed, in
  // index order (a control port holds one value per run: it takes effect at
  // the block's start), then processes the block. Allocates nothing.
  //
  // Hosts such as Ardour activate first and set the session's values in the
  // first runs, on silence: until the first sound after activate the echo
  // waits, as in every hosted edition (core/first_sound.h), and values stored
  // meanwhile are taken as if set at activate.
  void run(uint32_t frames);

 private:
  QuilletLv2Instance();
  // Stores each connected control port whose value is not the last one seen;
  // true when there was one.
  bool storeChangedControls();

  quillet::core::EchoCore core;
  const float* controls[core::kNumQuilletParams] = {};
  uint32_t lastSeen[core::kNumQuilletParams] = {};  // bit patterns, so a NaN is stored once
  const float* audioIn[2] = {};
  float* audioOut[2] = {};
  const LV2_Atom_Sequence* control = nullptr;
  float* hostTempoOut = nullptr;
  TempoUrids urids;
  bool haveUrids = false;
  float hostTempo = 0.0f;
  quillet::core::FirstSoundGate firstSound;
};

}  // namespace quillet::lv2
