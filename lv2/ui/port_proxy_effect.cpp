#include "lv2/ui/port_proxy_effect.h"

#include <cmath>
#include <cstring>

#include "editor/aeff_gui_editor.h"
#include "editor/tempo_sync.h"

PortProxyEffect::PortProxyEffect(const UiHostPorts& host)
    : AudioEffectX(nullptr, 1, kNumQuilletParams), host(host) {
  // Until the host reports the ports, the panel shows the plug-in's defaults.
  for (int i = 0; i < kNumQuilletParams; ++i) values[i] = kQuilletParams[i].defaultValue;
  std::memset(&timeInfo, 0, sizeof timeInfo);
}

bool PortProxyEffect::store(VstInt32 index, float value) {
  // The same rules as the effect's own table: NaN is dropped, the rest clamped.
  if (index < 0 || index >= kNumQuilletParams || std::isnan(value)) return false;
  if (value < 0.0f) value = 0.0f;
  if (value > 1.0f) value = 1.0f;
  values[index] = value;
  if (editor) editor->setParameter(index, value);
  return true;
}

void PortProxyEffect::setParameter(VstInt32 index, float value) { store(index, value); }

float PortProxyEffect::getParameter(VstInt32 index) {
  if (index < 0 || index >= kNumQuilletParams) return 0.0f;
  return values[index];
}

void PortProxyEffect::setParameterAutomated(VstInt32 index, float value) {
  if (!store(index, value) || !host.write) return;
  float stored = values[index];
  host.write(host.controller, static_cast<uint32_t>(index), sizeof(float), 0, &stored);
}

void PortProxyEffect::touch(VstInt32 index, bool grabbed) {
  if (host.touch && host.touch->touch)
    host.touch->touch(host.touch->handle, static_cast<uint32_t>(index), grabbed);
}

// A control's gesture is a touch of its port. A note key's gesture sets Delay
// and Range, so it touches those two; the note-mode switch has no port.
bool PortProxyEffect::beginEdit(VstInt32 index) {
  if (index >= 0 && index < kNumQuilletParams) {
    touch(index, true);
  } else if (index >= kTagWholeNote && index <= kTagThirtySecondNote) {
    touch(kParamDelay, true);
    touch(kParamRange, true);
  } else {
    return false;
  }
  return host.touch != nullptr;
}

bool PortProxyEffect::endEdit(VstInt32 index) {
  if (index >= 0 && index < kNumQuilletParams) {
    touch(index, false);
  } else if (index >= kTagWholeNote && index <= kTagThirtySecondNote) {
    touch(kParamRange, false);
    touch(kParamDelay, false);
  } else {
    return false;
  }
  return host.touch != nullptr;
}

void PortProxyEffect::setHostTempo(float bpm) {
  tempo = std::isfinite(bpm) && bpm > 0.0f ? bpm : 0.0;
}

VstTimeInfo* PortProxyEffect::getTimeInfo(VstInt32 /*filter*/) {
  if (!(tempo > 0.0)) return nullptr;
  std::memset(&timeInfo, 0, sizeof timeInfo);
  timeInfo.tempo = tempo;
  timeInfo.flags = kVstTempoValid;
  return &timeInfo;
}
