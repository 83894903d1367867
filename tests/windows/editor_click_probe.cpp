// Opens a plug-in's editor in a Win32 host window and keeps it alive for real
// input from outside (xdotool under Wine), idling it as a host does. Prints
// "ready X Y" with the screen position of the editor's top-left corner once
// the panel has painted, then, when the given parameter has changed and every
// gesture begun has ended, or the time is up, its value before and after and
// the edit gestures the plug-in sent.
//   editor_click_probe PLUGIN.dll PARAMETER-INDEX SECONDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/window/win32_host_window.h"
#include "tests/support/wait_until.h"

using namespace quillet::host;

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: editor_click_probe PLUGIN.dll PARAMETER-INDEX SECONDS\n");
    return 2;
  }
  const int index = std::atoi(argv[2]);
  const double seconds = std::atof(argv[3]);
  std::string error;
  auto library = PluginLibrary::load(argv[1], &error);
  if (!library) {
    std::fprintf(stderr, "editor_click_probe: %s\n", error.c_str());
    return 1;
  }
  auto plugin = openInstance(*library, &error);
  if (!plugin) {
    std::fprintf(stderr, "editor_click_probe: %s\n", error.c_str());
    return 1;
  }
  ERect* rect = nullptr;
  plugin->dispatch(effEditGetRect, 0, 0, &rect);
  if (!rect) {
    std::fprintf(stderr, "editor_click_probe: no editor\n");
    return 1;
  }
  auto window = Win32HostWindow::create(rect->right - rect->left, rect->bottom - rect->top,
                                        "editor click probe", &error);
  if (!window || plugin->dispatch(effEditOpen, 0, 0, window->parentHandle()) != 1) {
    std::fprintf(stderr, "editor_click_probe: cannot open the editor %s\n", error.c_str());
    return 1;
  }
  AEffect* effect = plugin->effect();
  const float before = effect->getParameter(effect, index);
  plugin->host().setRecording(true);
  const auto idle = [&] {
    plugin->dispatch(effEditIdle);
    window->pump();
  };
  // The window shown and painted before anyone clicks: it no longer shows
  // its background's one colour.
  quillet::test::stepUntil(idle, [&] {
    std::vector<unsigned char> shown;
    int w = 0, h = 0;
    if (!window->capture(&shown, &w, &h)) return false;
    for (size_t i = 3; i < shown.size(); ++i)
      if (shown[i] != shown[i % 3]) return true;
    return false;
  });
  int x = 0, y = 0;
  window->origin(&x, &y);
  std::printf("ready %d %d\n", x, y);
  std::fflush(stdout);
  const HostCallback& host = plugin->host();
  const auto limit =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds));
  // The press changes the value; the release, which may come later, ends
  // the gesture.
  quillet::test::stepUntil(
      idle,
      [&] {
        return effect->getParameter(effect, index) != before &&
               host.count(audioMasterEndEdit) >= host.count(audioMasterBeginEdit);
      },
      limit);
  const float after = effect->getParameter(effect, index);
  std::printf("parameter %d: %g -> %g, automate %zu, begin %zu, end %zu\n", index, before, after,
              host.count(audioMasterAutomate), host.count(audioMasterBeginEdit),
              host.count(audioMasterEndEdit));
  plugin->dispatch(effEditClose);
  return 0;
}
