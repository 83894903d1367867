// The picture of a CLAP plug-in's panel for quillet-host snapshot: opened
// through its gui extension and run on the host's timers and descriptor watch.
#include <string>

#include "host/commands/format_commands.h"
#include "host/plugin/clap/clap_audio_plugin.h"
#include "host/plugin/clap/clap_panel_session.h"
#include "host/plugin/parameters.h"
#include "host/window/capture_settled.h"

namespace quillet::host {

bool captureClapPanel(const PanelRequest& request, PanelPicture* picture, std::string* error) {
  OpenedClap plugin;
  if (!openClap(request.plugin, &plugin, error)) return false;
  ClapAudioPlugin audio(*plugin);
  for (const std::string& assignment : request.sets) {
    ParamSetting setting;
    if (!parseSetting(audio, assignment, &setting, error)) return false;
    audio.setParameter(setting.index, setting.value);
  }
  auto session = ClapPanelSession::open(*plugin, "quillet-host snapshot", error, request.hostScale);
  if (!session) {
    *error = request.plugin + ": " + *error;
    return false;
  }
  if (!captureSettled(
          session->window(), [&] { session->runFor(20); }, &picture->rgb, &picture->width,
          &picture->height)) {
    *error = "could not read the window";
    return false;
  }
  return true;
}

}  // namespace quillet::host
