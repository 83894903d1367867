// The panel through the gui extension, as a host opens it: embedded in a
// window of the host, run on the host's timers and (X11) descriptor watch,
// closed again; three times, and nothing of it left registered afterwards.
#include <cstdlib>
#include <string>

#include "host/validate/clap/clap_validator.h"

#if defined(QUILLET_HOST_HAS_WINDOWS)
#include "host/plugin/clap/clap_panel_session.h"
#endif

namespace quillet::host {

void validateClapGui(ClapValidationContext& ctx) {
  auto plugin = ctx.instance("gui");
  if (!plugin) return;
  if (!plugin->extension<clap_plugin_gui_t>(CLAP_EXT_GUI)) {
    ctx.report.note("no gui extension");
    return;
  }
#if defined(QUILLET_HOST_HAS_WINDOWS)
#ifndef _WIN32
  if (!std::getenv("DISPLAY")) {
    ctx.report.note("gui: no X display, not opened");
    return;
  }
#endif
  std::string problem;
  int timerCalls = 0;
  for (int round = 0; round < 3 && problem.empty(); ++round) {
    auto session = ClapPanelSession::open(*plugin, "quillet-host validate", &problem);
    if (!session) break;
    if (plugin->host().timerCount() == 0) problem = "no timer registered: the panel would not idle";
#ifndef _WIN32
    if (problem.empty() && plugin->host().descriptorCount() == 0)
      problem = "no descriptor registered: X events would wait for the timer";
#endif
    session->runFor(300);
    session.reset();
    if (problem.empty() && (plugin->host().timerCount() || plugin->host().descriptorCount()))
      problem = "timers or descriptors left registered after destroy";
  }
  timerCalls = plugin->host().timerCalls;
  ctx.report.result("gui: open, run on the host's timers, close, three times", problem,
                    std::to_string(timerCalls) + " timer calls, " +
                        std::to_string(plugin->host().descriptorCalls) + " descriptor calls");
  ctx.threadsKept(*plugin, "gui: callbacks on their threads");
#else
  ctx.report.note("gui: this build has no host window");
#endif
}

}  // namespace quillet::host
