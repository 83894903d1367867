// The picture of a VST 2.4 plug-in's editor for quillet-host snapshot: opened
// in a window of the host's and idled as hosts idle it.
#include <chrono>
#include <string>
#include <thread>

#include "host/commands/format_commands.h"
#include "host/plugin/parameters.h"
#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/vst2_audio_plugin.h"
#include "host/window/capture_settled.h"

namespace quillet::host {

bool captureVst2Panel(const PanelRequest& request, PanelPicture* picture, std::string* error) {
  OpenedPlugin plugin;
  if (!openPlugin(request.plugin, &plugin, error)) return false;
  PluginInstance& p = *plugin;
  Vst2AudioPlugin audio(p);
  for (const std::string& assignment : request.sets) {
    ParamSetting setting;
    if (!parseSetting(audio, assignment, &setting, error)) return false;
    audio.setParameter(setting.index, setting.value);
  }
  if (!(p.effect()->flags & effFlagsHasEditor)) {
    *error = request.plugin + " has no editor";
    return false;
  }
  if (request.hostScale > 0) {
    char query[] = "supportsViewDpiScaling";
    if (p.dispatch(effCanDo, 0, 0, query) != 1) {
      *error = request.plugin + " does not take a host's scale factor";
      return false;
    }
    constexpr VstInt32 kPreSonus = 0x50726553;       // 'PreS'
    constexpr VstIntPtr kContentScale = 0x41654373;  // 'AeCs'
    p.dispatch(effVendorSpecific, kPreSonus, kContentScale, nullptr,
               static_cast<float>(request.hostScale));
  }
  ERect* rect = nullptr;
  if (p.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect || rect->right <= rect->left ||
      rect->bottom <= rect->top) {
    *error = "the editor reports no size";
    return false;
  }
  const int width = rect->right - rect->left, height = rect->bottom - rect->top;
  auto window = HostWindow::create(width, height, "quillet-host snapshot", error);
  if (!window) return false;
  // The editor may ask for another size once open.
  HostWindow* shown = window.get();
  p.host().setSizeWindowHandler([shown](int w, int h) { return shown->resize(w, h); });
  if (p.dispatch(effEditOpen, 0, 0, window->parentHandle()) == 0) {
    *error = "the editor did not open";
    return false;
  }
  const bool captured = captureSettled(
      *window,
      [&] {
        p.dispatch(effEditIdle);
        window->pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      },
      &picture->rgb, &picture->width, &picture->height);
  p.dispatch(effEditClose);
  p.host().setSizeWindowHandler(nullptr);
  if (!captured) *error = "could not read the window";
  return captured;
}

}  // namespace quillet::host
