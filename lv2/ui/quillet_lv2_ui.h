// One open panel inside an LV2 host: the panel's host over the plug-in's
// ports, the panel, and its window inside the host's parent window.
#pragma once

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>

#include "editor/quillet_panel.h"
#include "editor/x11_key_reader.h"
#include "lv2/ui/host_window_follower.h"
#include "lv2/ui/lv2_panel_host.h"

namespace quillet::lv2::ui {

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

  // The options interface: the host's ui:scaleFactor, at instantiation and
  // whenever it changes. Other options are not ours.
  uint32_t setOptions(const LV2_Options_Option* options);
  uint32_t getOptions(LV2_Options_Option* options);

  quillet::editor::QuilletPanel& getPanel() { return panel; }

 private:
  explicit QuilletLv2Ui(const UiHostPorts& ports);
  // The factor in a ui:scaleFactor option (a float or double atom), or 0.
  float scaleFactorOf(const LV2_Options_Option& option) const;

  Lv2PanelHost host;
  quillet::editor::QuilletPanel panel;  // talks to `host`, declared after it
  std::unique_ptr<quillet::editor::X11KeyReader>
      keys;  // null if keys cannot be read: the rest works
  // The host's window made smaller with the panel where the host leaves it
  // larger; null without a display of its own (the rest works).
  std::unique_ptr<HostWindowFollower> follower;
  int32_t shownWidth = 0, shownHeight = 0;  // the panel's size at the last idle
  // Mapped with the host's urid:map; 0 without it (no option is then read).
  LV2_URID scaleFactorKey = 0, floatType = 0, doubleType = 0;
  float reportedScale = 0.0f;  // what getOptions hands out
};

}  // namespace quillet::lv2::ui
