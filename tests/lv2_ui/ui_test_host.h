// A small LV2 UI host for tests: loads the built UI library, finds its
// descriptor by URI, embeds it in an X11 window of its own and records what
// the UI sends back (port writes, touch gestures, size requests).
#pragma once

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/window/x11_host_window.h"

namespace quillet::test {

struct HostCall {
  enum Kind { kWrite, kTouch, kResize } kind;
  uint32_t port = 0;          // write, touch
  float value = 0.0f;         // write: the float written
  uint32_t size = 0;          // write: buffer size
  uint32_t protocol = 0;      // write: 0 for a control port
  bool grabbed = false;       // touch
  int width = 0, height = 0;  // resize
};

struct HostOffers {
  bool parent = true;
  bool resize = true;
  bool touch = true;
  // For ui:resize, the host's window shrinks to a smaller size as it grows to
  // a larger one; without, it only grows and takes a smaller size as the
  // least it may have, as GTK hosts (Ardour through suil) do.
  bool shrinks = true;
  // The host's ui:scaleFactor in the options feature (with urid:map); 0: none.
  float scaleFactor = 0.0f;
};

class UiTestHost {
 public:
  // Empty, with a one-line `error`, when the library, the descriptor, the
  // display or the UI cannot be had.
  static std::unique_ptr<UiTestHost> open(const std::string& library, const std::string& uri,
                                          const HostOffers& offers, std::string* error);
  ~UiTestHost();

  // Sends a control port's value to the UI as the host does after a change.
  void portEvent(uint32_t port, float value);
  void portEventRaw(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  // One idle call of the UI; its answer.
  int idle();
  // Idles the UI and pumps the host window until `done` holds; false if it
  // does not within the generous limit.
  bool idleUntil(const std::function<bool()>& done);
  // Whether the host's window shows the panel drawn whole at the size it
  // asked for last (the panel's pictures have no black pixel; the host's
  // window is black).
  bool panelDrawn();
  // Runs xdotool with `args` (screen coordinates) while idling, then idles
  // until the UI has handled all of its input (a round trip to the server
  // hands it over, one idle reads it) and `done` holds; false if xdotool
  // could not be started or failed, or either did not happen in time.
  bool drive(
      const std::vector<std::string>& args,
      const std::function<bool()>& done = [] { return true; });
  // xdotool arguments that move the pointer to panel pixel x, y.
  std::vector<std::string> move(int x, int y) const;

  // A new ui:scaleFactor through the UI's options interface, as a host does
  // when its own scale changes; the interface's answer (-1 without one).
  int setScaleFactor(float factor);

  // Calls the UI library's cleanup now (the destructor does it otherwise).
  void cleanup();
  quillet::host::X11HostWindow& window() { return *hostWindow; }
  std::vector<HostCall>& calls() { return recorded; }
  LV2UI_Widget widget() const { return uiWidget; }

 private:
  UiTestHost() = default;
  static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                    const void* buffer);
  static int resize(LV2UI_Feature_Handle handle, int width, int height);
  static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed);
  static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri);

  void* library = nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  const LV2UI_Idle_Interface* idleInterface = nullptr;
  LV2UI_Handle handle = nullptr;
  LV2UI_Widget uiWidget = nullptr;
  std::unique_ptr<quillet::host::X11HostWindow> hostWindow;
  int originX = 0, originY = 0;
  LV2UI_Resize resizeFeature{};
  bool shrinks = true;
  LV2UI_Touch touchFeature{};
  LV2_URID_Map mapFeature{};
  std::vector<std::string> mapped;  // URID n is mapped[n - 1]
  float scaleValue = 0.0f;
  LV2_Options_Option options[2]{};
  std::vector<HostCall> recorded;
};

}  // namespace quillet::test
