// Opens a plug-in's editor in a Win32 host window and keeps it alive for real
// input from outside (xdotool under Wine), idling it as a host does. Prints
// "ready X Y" with the screen position of the editor's top-left corner, then,
// when the given parameter changes or the time is up, its value before and
// after and the edit gestures the plug-in sent.
//   editor_click_probe PLUGIN.dll PARAMETER-INDEX SECONDS
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/window/win32_host_window.h"

using namespace quillet_host;

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
  // Let the window show and paint before anyone clicks.
  for (int i = 0; i < 50; ++i) {
    plugin->dispatch(effEditIdle);
    window->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  int x = 0, y = 0;
  window->origin(&x, &y);
  std::printf("ready %d %d\n", x, y);
  std::fflush(stdout);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end && effect->getParameter(effect, index) == before) {
    plugin->dispatch(effEditIdle);
    window->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // A little longer, so the release and the end of the gesture arrive.
  for (int i = 0; i < 30; ++i) {
    plugin->dispatch(effEditIdle);
    window->pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const float after = effect->getParameter(effect, index);
  const HostCallback& host = plugin->host();
  std::printf("parameter %d: %g -> %g, automate %zu, begin %zu, end %zu\n", index, before, after,
              host.count(audioMasterAutomate), host.count(audioMasterBeginEdit),
              host.count(audioMasterEndEdit));
  plugin->dispatch(effEditClose);
  return 0;
}
