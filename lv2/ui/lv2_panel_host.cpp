#include "lv2/ui/lv2_panel_host.h"

#include <cmath>
#include <cstring>

#include "core/gesture_params.h"
#include "core/param_value.h"
#include "lv2/lv2_ports.h"

namespace quillet::lv2::ui {

Lv2PanelHost::Lv2PanelHost(const UiHostPorts& host) : host(host) {
  // Until the host reports the ports, the panel shows the plug-in's defaults.
  for (int i = 0; i < core::kNumQuilletParams; ++i)
    values[i] = core::kQuilletParams[i].defaultValue;
}

int32_t Lv2PanelHost::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  // Control ports carry one float; anything else is not ours to read.
  if (format != 0 || size != sizeof(float) || !buffer) return -1;
  float value;
  std::memcpy(&value, buffer, sizeof value);
  if (port == quillet::lv2::kPortHostTempo) {
    tempo = std::isfinite(value) && value > 0.0f ? value : 0.0;
    return -1;
  }
  if (port >= static_cast<uint32_t>(core::kNumQuilletParams)) return -1;
  const auto index = static_cast<int32_t>(port);
  return store(index, value) ? index : -1;
}

bool Lv2PanelHost::store(int32_t index, float value) {
  if (index < 0 || index >= core::kNumQuilletParams) return false;
  const float stored = quillet::core::clampStoredValue(value);
  if (std::isnan(stored)) return false;
  values[index] = stored;
  return true;
}

float Lv2PanelHost::parameterValue(int32_t index) {
  if (index < 0 || index >= core::kNumQuilletParams) return 0.0f;
  return values[index];
}

void Lv2PanelHost::performEdit(int32_t index, float value) {
  if (!store(index, value) || !host.write) return;
  float stored = values[index];
  host.write(host.controller, static_cast<uint32_t>(index), sizeof(float), 0, &stored);
}

void Lv2PanelHost::touch(int32_t index, bool grabbed) {
  if (host.touch && host.touch->touch)
    host.touch->touch(host.touch->handle, static_cast<uint32_t>(index), grabbed);
}

bool Lv2PanelHost::requestResize(int32_t width, int32_t height) {
  return host.resize && host.resize->ui_resize &&
         host.resize->ui_resize(host.resize->handle, width, height) == 0;
}

void Lv2PanelHost::beginGesture(int32_t tag) {
  const quillet::core::GestureParams params = quillet::core::gestureParams(tag);
  for (int32_t i = 0; i < params.count; ++i) touch(params.indices[i], true);
}

void Lv2PanelHost::endGesture(int32_t tag) {
  const quillet::core::GestureParams params = quillet::core::gestureParams(tag);
  for (int32_t i = params.count - 1; i >= 0; --i) touch(params.indices[i], false);
}

}  // namespace quillet::lv2::ui
