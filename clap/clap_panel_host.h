// The panel's host inside a CLAP plug-in: values from the core, edits stored
// into the core at once (so the sound follows while the host is stopped) and
// announced to the host as PARAM_GESTURE_BEGIN, PARAM_VALUE and
// PARAM_GESTURE_END output events through the gesture queue, with a
// request_flush when the host is not processing (a processing host takes them
// from its next process call). The note keys' tempo is the host's transport.
//
// Threads: the main thread, as the panel runs there.
#pragma once

#include <cstdint>

#include "clap/gesture_queue.h"
#include "core/panel_host.h"

namespace quillet::clap {

class QuilletPlugin;

class ClapPanelHost final : public quillet::core::PanelHost {
 public:
  explicit ClapPanelHost(QuilletPlugin& plugin) : plugin(plugin) {}

  float parameterValue(int32_t index) override;
  // A note key's gesture begins on "Delay" and "Range" and ends in the
  // opposite order; a control that sets no parameter sends nothing. A
  // gesture the queue cannot take whole sends neither values nor end.
  void beginGesture(int32_t tag) override;
  void endGesture(int32_t tag) override;
  void performEdit(int32_t index, float value) override;
  double hostTempo() override;
  // Through the host's gui.request_resize; false without one.
  bool requestResize(int32_t width, int32_t height) override;

 private:
  void askForFlush();
  // A params rescan of the values when the host missed some of the panel's.
  void tellHostOfMissedValues();

  QuilletPlugin& plugin;
};

}  // namespace quillet::clap
