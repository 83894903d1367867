// The panel's host inside an LV2 UI. It mirrors the control ports the host
// reports, writes the panel's changes through the host's write function,
// brackets gestures with ui:touch and takes the tempo from the plug-in's
// host-tempo port. The audio runs in the DSP library; nothing of it is here.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>

#include "core/panel_host.h"
#include "core/param_table.h"

namespace quillet::lv2::ui {

// What the host handed to the UI for talking back to the plug-in.
struct UiHostPorts {
  LV2UI_Write_Function write = nullptr;
  LV2UI_Controller controller = nullptr;
  const LV2UI_Touch* touch = nullptr;    // null when the host offers no ui:touch
  const LV2UI_Resize* resize = nullptr;  // null when the host offers no ui:resize
};

class Lv2PanelHost : public quillet::core::PanelHost {
 public:
  explicit Lv2PanelHost(const UiHostPorts& host);

  // A port value the host reports (its port_event): a parameter's is stored,
  // the host tempo's kept for the note keys. Answers the index of the
  // parameter whose stored value it set, or -1.
  int32_t portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);

  // quillet::core::PanelHost
  float parameterValue(int32_t index) override;
  // A gesture touches the ports of the parameters it sets (a note key's:
  // Delay and Range); released in the opposite order.
  void beginGesture(int32_t tag) override;
  void endGesture(int32_t tag) override;
  // Stored and written to the parameter's port, clamped.
  void performEdit(int32_t index, float value) override;
  double hostTempo() override { return tempo; }
  // ui:resize; false when the host offers none or refuses.
  bool requestResize(int32_t width, int32_t height) override;

 private:
  bool store(int32_t index, float value);
  void touch(int32_t index, bool grabbed);

  UiHostPorts host;
  float values[core::kNumQuilletParams];
  double tempo = 0.0;
};

}  // namespace quillet::lv2::ui
