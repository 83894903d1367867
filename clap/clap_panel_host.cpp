#include "clap/clap_panel_host.h"

#include "clap/host_services.h"
#include "clap/param_mapping.h"
#include "clap/quillet_plugin.h"
#include "core/gesture_params.h"
#include "core/param_value.h"

namespace quillet::clap {

float ClapPanelHost::parameterValue(int32_t index) { return plugin.core().parameter(index); }

namespace {

// The CLAP ids of the parameters a gesture sets, in the order it sets them.
struct GestureIds {
  uint32_t count = 0;
  clap_id ids[GestureQueue::kMaxGestureParams] = {};
};

GestureIds gestureIdsOf(int32_t tag, bool reversed) {
  const quillet::core::GestureParams params = quillet::core::gestureParams(tag);
  GestureIds out;
  for (int32_t i = 0; i < params.count; ++i) {
    const int32_t at = reversed ? params.count - 1 - i : i;
    out.ids[out.count++] = paramIdOf(params.indices[at]);
  }
  return out;
}

}  // namespace

void ClapPanelHost::askForFlush() {
  if (!plugin.isProcessing()) plugin.host().requestFlush();
}

void ClapPanelHost::tellHostOfMissedValues() {
  // The sound never depends on the queue (the core holds the values), only
  // the host's picture of them: when a record could not go, the host reads
  // every value again.
  const HostServices& host = plugin.host();
  if (plugin.gestures().takeHostMissedValues() && host.params != nullptr)
    host.params->rescan(host.host, CLAP_PARAM_RESCAN_VALUES);
}

void ClapPanelHost::beginGesture(int32_t tag) {
  const GestureIds gesture = gestureIdsOf(tag, false);
  if (gesture.count == 0) return;
  if (plugin.gestures().beginGesture(gesture.ids, gesture.count)) askForFlush();
}

void ClapPanelHost::endGesture(int32_t tag) {
  const GestureIds gesture = gestureIdsOf(tag, true);
  if (gesture.count == 0) return;
  if (plugin.gestures().endGesture(gesture.ids, gesture.count)) askForFlush();
  tellHostOfMissedValues();
}

void ClapPanelHost::performEdit(int32_t index, float value) {
  if (!plugin.core().setParameter(index, value)) return;
  // The value as stored, not as read back: the audio thread may store a
  // host's value in between.
  const double plain = storedToPlain(index, quillet::core::clampStoredValue(value));
  if (plugin.gestures().pushValue(paramIdOf(index), plain)) askForFlush();
  tellHostOfMissedValues();
}

double ClapPanelHost::hostTempo() { return plugin.hostTempo(); }

bool ClapPanelHost::requestResize(int32_t width, int32_t height) {
  const HostServices& host = plugin.host();
  if (host.gui == nullptr || host.gui->request_resize == nullptr || width <= 0 || height <= 0)
    return false;
  return host.gui->request_resize(host.host, static_cast<uint32_t>(width),
                                  static_cast<uint32_t>(height));
}

}  // namespace quillet::clap
