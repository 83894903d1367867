// The host's side of a plug-in editor on Windows: a top-level window whose
// client area the editor's window goes into, its messages, and what it shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillet::host {

class Win32HostWindow {
 public:
  // Empty with a one-line `error` when no window can be made.
  static std::unique_ptr<Win32HostWindow> create(int width, int height, const std::string& title,
                                                 std::string* error);
  ~Win32HostWindow();

  // The window handle as effEditOpen takes it.
  void* parentHandle() const { return window; }
  // Dispatches the thread's pending messages without blocking.
  void pump();
  // As X11HostWindow's: here input reaches the thread's queue at once, and
  // pump() reads it.
  void sync() { pump(); }
  // The client area's pixels including the editor inside it, as RGB rows.
  bool capture(std::vector<unsigned char>* rgb, int* width, int* height);
  // Gives the window's inside a new size, as a host does when its editor
  // asks (audioMasterSizeWindow); false when it cannot.
  bool resize(int width, int height);
  // Destroys the window now, as a host does when it tears down its side first.
  void destroyWindow();
  // The screen position of the client area's top-left corner.
  bool origin(int* x, int* y);

 private:
  Win32HostWindow() = default;
  void* window = nullptr;  // HWND, kept out of this header
  int width = 0;
  int height = 0;
};

}  // namespace quillet::host
