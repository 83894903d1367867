// The host's side of a plug-in editor on X11: a top-level window of the
// host's own connection to put the editor in, its events, and what it shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillet::host {

class X11HostWindow {
 public:
  // Empty with a one-line `error` when there is no X display.
  static std::unique_ptr<X11HostWindow> create(int width, int height, const std::string& title,
                                               std::string* error);
  ~X11HostWindow();

  // The window id as effEditOpen takes it.
  void* parentHandle() const;
  uintptr_t id() const { return window; }
  // Reads the host connection's pending events without blocking.
  void pump();
  // A round trip to the server: by its end the server has handled what other
  // clients sent before it (xdotool's input) and sent out the events that
  // made, to the editor's connection too.
  void sync();
  // The window's pixels including the editor inside it, as RGB rows.
  bool capture(std::vector<unsigned char>* rgb, int* width, int* height);
  // Gives the window's inside a new size, as a host does when its editor
  // asks (audioMasterSizeWindow); false when it cannot.
  bool resize(int width, int height);
  // As a GTK window takes a child's size request: the window may not get
  // smaller than width x height any more, and grows to it, but does not
  // shrink to it.
  bool growTo(int width, int height);
  // The window's size on the server now (whoever resized it); false when it
  // cannot be read.
  bool size(int* width, int* height);
  // Destroys the window now, as a host does when it tears down its side
  // first; the editor must cope at its next idle or close.
  void destroyWindow();
  // The screen position of the window's top-left corner.
  bool origin(int* x, int* y);

 private:
  X11HostWindow() = default;
  void* display = nullptr;  // Display*, kept out of this header
  uintptr_t window = 0;
  int width = 0;
  int height = 0;
};

}  // namespace quillet::host
