// The gui extension of one instance: the format-free panel embedded in the
// host's window at the size its scale gives (the host's factor from
// set_scale among its sources; a new size while open is asked for with the
// host's request_resize), run from the host's own loop without a
// thread of ours. On X11 the host's timer (timer-support) runs the panel's
// idle pass and the host's poll loop (posix-fd-support) calls back whenever
// the panel's display connection has events; on Win32 the child window lives
// on the host's message loop and the host's timer runs the idle pass.
//
// Threads: every member runs on the main thread.
#pragma once

#include <cstdint>
#include <memory>

#include "clap/clap_panel_host.h"
#include "clap/interface/clap_gui.h"

namespace quillet::editor {
class QuilletPanel;
}

namespace quillet::clap {

class QuilletPlugin;
struct HostServices;

class PluginGui {
 public:
  explicit PluginGui(QuilletPlugin& plugin);
  ~PluginGui();
  PluginGui(const PluginGui&) = delete;
  PluginGui& operator=(const PluginGui&) = delete;

  // The window system of this build ("x11" or "win32"), embedded only.
  // Scanners ask with a host that offers nothing (Qtractor's does), so the
  // answer is about the window system alone.
  static bool isApiSupported(const char* api, bool floating);
  static const char* preferredApi();
  // What the panel runs on from the host: its timers, and on X11 its poll
  // loop for our descriptor.
  static bool hostCanRunPanel(const HostServices& host);

  // False for another window system, or a host that cannot run the panel.
  bool create(const char* api, bool floating);
  void destroy();
  bool size(uint32_t* width, uint32_t* height) const;
  // The host's factor (x11 and win32 sizes are physical pixels). False for
  // one that is not a positive finite number, or before create.
  bool setScale(double factor);
  bool setParent(const clap_window_t* window);
  bool show();
  bool hide();
  void onTimer(clap_id timer);
  void onFd(int fd);

 private:
  // Moves the controls of values stored since the last pass, reads the
  // window's events and redraws what changed.
  void idle();
  bool startTimer();
  void stopTimer();
  void unwatchDescriptor();

  QuilletPlugin& plugin;
  ClapPanelHost panelHost;
  std::unique_ptr<quillet::editor::QuilletPanel> panel;  // between create and destroy
  clap_id timer = CLAP_INVALID_ID;
  int watchedFd = -1;
};

}  // namespace quillet::clap
