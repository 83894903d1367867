// One open panel inside an LV2 host: the panel's host over the plug-in's
// ports, the panel, and its window inside the host's parent window.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "editor/quillet_panel.h"
#include "lv2/ui/lv2_panel_host.h"
#include "lv2/ui/x11_key_reader.h"

namespace lv2ui {

class QuilletLv2Ui {
 public:
  // Null when the host gives no parent window or no window can be made in it.
  static std::unique_ptr<QuilletLv2Ui> create(LV2UI_Write_Function write,
                                              LV2UI_Controller controller,
                                              const LV2_Feature* const* features,
                                              LV2UI_Widget* widget);
  ~QuilletLv2Ui();

  void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  // Reads the window's input and redraws what changed; non-zero once the
  // window is gone and the host should close the UI.
  int idle();

 private:
  explicit QuilletLv2Ui(const UiHostPorts& ports);

  Lv2PanelHost host;
  quillet::QuilletPanel panel;         // talks to `host`, declared after it
  std::unique_ptr<X11KeyReader> keys;  // null if keys cannot be read: the rest works
};

}  // namespace lv2ui
