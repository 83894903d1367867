#include "lv2/quillet_lv2_instance.h"

#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace quillet::lv2 {

namespace {

uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

const LV2_URID_Map* findMap(const LV2_Feature* const* features) {
  if (!features) return nullptr;
  for (const LV2_Feature* const* f = features; *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, LV2_URID__map) == 0)
      return static_cast<const LV2_URID_Map*>((*f)->data);
  return nullptr;
}

}  // namespace

QuilletLv2Instance* QuilletLv2Instance::create(double sampleRate,
                                               const LV2_Feature* const* features) {
  if (!quillet::core::EchoCore::isUsableSampleRate(sampleRate)) return nullptr;
  auto* instance = new (std::nothrow) QuilletLv2Instance();
  if (!instance) return nullptr;
  // The delay memory for the rate, taken now: without it there is no echo.
  if (!instance->core.setSampleRate(sampleRate)) {
    delete instance;
    return nullptr;
  }
  instance->haveUrids = instance->urids.mapAll(findMap(features));
  return instance;
}

QuilletLv2Instance::QuilletLv2Instance() {
  for (int i = 0; i < core::kNumQuilletParams; ++i) lastSeen[i] = bitsOf(core.parameter(i));
}

QuilletLv2Instance::~QuilletLv2Instance() = default;

void QuilletLv2Instance::connectPort(uint32_t port, void* data) {
  if (port < core::kNumQuilletParams) {
    controls[port] = static_cast<const float*>(data);
    return;
  }
  switch (port) {
    case kPortInL:
      audioIn[0] = static_cast<const float*>(data);
      break;
    case kPortInR:
      audioIn[1] = static_cast<const float*>(data);
      break;
    case kPortOutL:
      audioOut[0] = static_cast<float*>(data);
      break;
    case kPortOutR:
      audioOut[1] = static_cast<float*>(data);
      break;
    case kPortControl:
      control = static_cast<const LV2_Atom_Sequence*>(data);
      break;
    case kPortHostTempo:
      hostTempoOut = static_cast<float*>(data);
      break;
    default:
      break;
  }
}

bool QuilletLv2Instance::storeChangedControls() {
  bool changed = false;
  for (int i = 0; i < core::kNumQuilletParams; ++i) {
    if (!controls[i]) continue;
    const float value = *controls[i];
    const uint32_t bits = bitsOf(value);
    if (bits == lastSeen[i]) continue;
    lastSeen[i] = bits;
    core.setParameter(i, value);
    changed = true;
  }
  return changed;
}

void QuilletLv2Instance::activate() {
  storeChangedControls();
  // The memory taken at instantiate stays: taking it again would free and
  // reallocate 16 MiB at 192 kHz, and glibc then places the new lines in its
  // heap at other offsets than the fresh pages every other edition's lines
  // lie on.
  core.restart();
  firstSound.rearm();
}

void QuilletLv2Instance::run(uint32_t frames) {
  float bpm = 0.0f;
  if (haveUrids && findTempo(control, urids, &bpm)) hostTempo = bpm;
  if (hostTempoOut) *hostTempoOut = hostTempo;
  if (!audioIn[0] || !audioIn[1] || !audioOut[0] || !audioOut[1]) {
    storeChangedControls();
    return;
  }
  // The engine reads both inputs of a frame before it writes either output,
  // so the host may hand the same buffers in and out.
  const float* inputs[2] = {audioIn[0], audioIn[1]};
  if (firstSound.holds(core, inputs, frames)) {
    // Nothing has sounded yet: silence out, the values stored for the first sound.
    storeChangedControls();
    for (float* out : audioOut) std::fill(out, out + frames, 0.0f);
    return;
  }
  storeChangedControls();
  // A run of no frames only stores; the core's block begins with the first frame.
  if (frames == 0) return;
  core.process(inputs, audioOut, frames);
}

}  // namespace quillet::lv2
