// A CLAP plug-in's panel in a window of quillet-host, run as a CLAP host runs
// it: the gui extension asked for this system's embedded window (x11 or
// win32), created, sized, given the host's window as parent and shown; then
// the host's loop calls the plug-in's timers and, on X11, its descriptor
// callbacks. Closing hides and destroys the panel before the window goes.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/plugin/clap/clap_instance.h"
#include "host/window/host_window.h"

namespace quillet::host {

class ClapPanelSession {
 public:
  // Null with a one-line `error` when the plug-in has no gui for this
  // system, reports no size, or does not open in the window. A host `scale`
  // other than 0 is given to the gui's set_scale, and one it refuses is an
  // error too.
  static std::unique_ptr<ClapPanelSession> open(ClapInstance& instance, const std::string& title,
                                                std::string* error, double scale = 0.0);
  ~ClapPanelSession();
  ClapPanelSession(const ClapPanelSession&) = delete;
  ClapPanelSession& operator=(const ClapPanelSession&) = delete;

  HostWindow& window() { return *hostWindow; }
  uint32_t width() const { return panelWidth; }
  uint32_t height() const { return panelHeight; }
  // The host's loop for `milliseconds`, or until `done` answers true.
  void runFor(int milliseconds, const std::function<bool()>& done = {});

 private:
  ClapPanelSession(ClapInstance& instance, const clap_plugin_gui_t* gui)
      : instance(instance), gui(gui) {}

  ClapInstance& instance;
  const clap_plugin_gui_t* gui;
  std::unique_ptr<HostWindow> hostWindow;
  uint32_t panelWidth = 0;
  uint32_t panelHeight = 0;
  bool created = false;
};

// The window system name of this build's embedded panels.
const char* clapWindowApi();

}  // namespace quillet::host
