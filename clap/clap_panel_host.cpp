#include "clap/clap_panel_host.h"

#include "clap/host_services.h"
#include "clap/param_mapping.h"
#include "clap/quillet_plugin.h"
#include "core/gesture_params.h"
#include "core/param_value.h"

namespace quillet_clap {

float ClapPanelHost::parameterValue(int32_t index) { return plugin.core().parameter(index); }

void ClapPanelHost::queue(GestureRecord::Kind kind, int32_t index, double plain) {
  // A full queue drops the record: the sound never depends on it, only the
  // host's recording of the gesture (see gesture_queue.h).
  plugin.gestures().push(GestureRecord{kind, paramIdOf(index), plain});
}

void ClapPanelHost::askForFlush() {
  if (!plugin.isProcessing()) plugin.host().requestFlush();
}

void ClapPanelHost::beginGesture(int32_t tag) {
  const quillet::GestureParams params = quillet::gestureParams(tag);
  for (int32_t i = 0; i < params.count; ++i) queue(GestureRecord::kBegin, params.indices[i], 0.0);
  if (params.count > 0) askForFlush();
}

void ClapPanelHost::endGesture(int32_t tag) {
  const quillet::GestureParams params = quillet::gestureParams(tag);
  for (int32_t i = params.count - 1; i >= 0; --i)
    queue(GestureRecord::kEnd, params.indices[i], 0.0);
  if (params.count > 0) askForFlush();
}

void ClapPanelHost::performEdit(int32_t index, float value) {
  if (!plugin.core().setParameter(index, value)) return;
  // The value as stored, not as read back: the audio thread may store a
  // host's value in between.
  queue(GestureRecord::kValue, index, storedToPlain(index, quillet::clampStoredValue(value)));
  askForFlush();
}

double ClapPanelHost::hostTempo() { return plugin.hostTempo(); }

bool ClapPanelHost::requestResize(int32_t width, int32_t height) {
  const HostServices& host = plugin.host();
  if (host.gui == nullptr || host.gui->request_resize == nullptr || width <= 0 || height <= 0)
    return false;
  return host.gui->request_resize(host.host, static_cast<uint32_t>(width),
                                  static_cast<uint32_t>(height));
}

}  // namespace quillet_clap
