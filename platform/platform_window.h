// The child window a panel lives in, as the drawing side needs it from the
// system. Backends (X11, Win32, headless for tests) implement this interface;
// whatever draws into the window never sees the window system itself.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/geometry.h"
#include "platform/mouse_state.h"

namespace quillet::platform {

// What a backend hands back to the window's owner while it reads its events.
class PlatformWindowEvents {
 public:
  virtual ~PlatformWindowEvents() = default;
  virtual void onPaint(const Rect& area) = 0;
  // A button press; `buttons` holds the pressed button and the modifiers.
  virtual void onMouseDown(const Point& where, int32_t buttons) = 0;
  // One notch away from the user is +1.
  virtual void onMouseWheel(const Point& where, float distance, int32_t buttons) = 0;
};

// Pixels handed to present(): 32 bits each, blue, green, red, alpha in memory,
// top row first, `stride` pixels per row.
struct PixelView {
  const uint32_t* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
};

class PlatformWindow {
 public:
  virtual ~PlatformWindow() = default;
  // Reads every pending event without blocking and reports it.
  virtual void processEvents(PlatformWindowEvents& events) = 0;
  // Takes at most one pending paint request and reports it; true if there was one.
  virtual bool processOnePaint(PlatformWindowEvents& events) = 0;
  // Copies `area` of the image to the same place in the window.
  virtual void present(const PixelView& image, const Rect& area) = 0;
  // The pointer and the held buttons and keys, for mouse-tracking loops:
  // pointer events still queued are taken in order before the live state.
  virtual MouseState pollMouse() = 0;
  // The live pointer state, leaving queued events alone.
  virtual MouseState queryMouse() = 0;
  // The system's handle of the window (an X11 window id, an HWND), for hosts
  // that embed it; 0 when there is none.
  virtual uintptr_t nativeHandle() const { return 0; }
  // A file descriptor that becomes readable when events wait (the X11
  // connection), for hosts that run the panel from their own event loop; -1
  // when the system delivers events otherwise.
  virtual int eventFileDescriptor() const { return -1; }
  // True once the window has been destroyed from outside, with the host's.
  virtual bool isGone() const { return false; }
  // Gives the window a new size, keeping it (and its handle) as it is
  // otherwise; what it shows is undefined until the next present. False,
  // with the old size kept, when the system refuses.
  virtual bool resize(int32_t /*width*/, int32_t /*height*/) { return false; }
};

// Makes the child window inside `parent` (the host's window); null when no
// window can be made there.
using PlatformWindowFactory = std::unique_ptr<PlatformWindow> (*)(void* parent, int32_t width,
                                                                  int32_t height);

// The backend the windows of this process come from. The plug-in uses the
// system's one; tests install the headless one.
void setPlatformWindowFactory(PlatformWindowFactory factory);
PlatformWindowFactory platformWindowFactory();

// The system's own backend, defined by the backend that is linked in.
PlatformWindowFactory defaultPlatformWindowFactory();

}  // namespace quillet::platform
