// The host's window following the panel when the panel gets smaller. ui:resize
// tells the host the panel's new size, and hosts grow their window for it;
// but a GTK host (Ardour, through suil's X11 wrapper) takes a smaller size
// only as the least its window may have, and keeps the window, and the area
// it gives the panel, as large as before. So once the panel has shrunk, the
// UI watches the area the host gives it for a moment; when the host has taken
// the new size (its window's smallest allowed size lets it) but left the area
// larger, the host's window is made smaller by what is left over, once, as a
// user would drag it. A host that shrinks by itself is left alone, and a
// window the user resizes later is never touched.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace quillet::lv2::ui {

class HostWindowFollower {
 public:
  // For the panel's window at its size; null when there is no display.
  static std::unique_ptr<HostWindowFollower> watch(uintptr_t panelWindow, int32_t width,
                                                   int32_t height);
  ~HostWindowFollower();
  HostWindowFollower(const HostWindowFollower&) = delete;
  HostWindowFollower& operator=(const HostWindowFollower&) = delete;

  // The panel has a new size: smaller in a dimension, the host's window is
  // followed for a while; larger, nothing is needed (hosts grow for ui:resize).
  void panelResized(int32_t width, int32_t height);
  // At each idle of the UI: shrinks the host's window once it can.
  void idle();
  bool following() const { return pending; }

  // How long the host has to take the new size.
  static constexpr std::chrono::milliseconds kPatience{3000};

 private:
  HostWindowFollower() = default;

  void* display = nullptr;  // Display*, kept out of this header
  unsigned long panel = 0;  // the panel's own window
  int32_t width = 0, height = 0;
  bool pending = false;
  std::chrono::steady_clock::time_point deadline;
};

}  // namespace quillet::lv2::ui
