// The window a frame lives in, as the view library needs it from the system.
// Backends (X11, headless for tests, later Win32) live under platform/ and
// implement this interface; the frame never sees the window system itself.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/geometry.h"

namespace VSTGUI {

// What a backend hands back to the frame while it reads its events.
class PlatformWindowEvents {
 public:
  virtual ~PlatformWindowEvents() = default;
  virtual void onPaint(const CRect& area) = 0;
  // A button press; `buttons` holds the pressed button and the modifiers.
  virtual void onMouseDown(const CPoint& where, int32_t buttons) = 0;
  // One notch away from the user is +1.
  virtual void onMouseWheel(const CPoint& where, float distance, int32_t buttons) = 0;
};

struct MouseState {
  CPoint where;     // frame coordinates
  int32_t buttons;  // CButtonState bits held right now
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
  virtual void present(const PixelView& image, const CRect& area) = 0;
  // The pointer and the held buttons and keys, for mouse-tracking loops:
  // pointer events still queued are taken in order before the live state.
  virtual MouseState pollMouse() = 0;
  // The live pointer state, leaving queued events alone.
  virtual MouseState queryMouse() = 0;
  // The system's handle of the window (an X11 window id), for hosts that
  // embed it; 0 when there is none.
  virtual uintptr_t nativeHandle() const { return 0; }
  // True once the window has been destroyed from outside, with the host's.
  virtual bool isGone() const { return false; }
};

// Makes the frame's child window inside `parent` (the host's window); null when
// no window can be made there.
using PlatformWindowFactory = std::unique_ptr<PlatformWindow> (*)(void* parent, int32_t width,
                                                                  int32_t height);

// The backend the frames of this process use. The plug-in installs the
// system's one; tests install the headless one.
void setPlatformWindowFactory(PlatformWindowFactory factory);
PlatformWindowFactory platformWindowFactory();

}  // namespace VSTGUI

namespace VSTGUI {
// The system's own backend, defined by the backend library that is linked in.
PlatformWindowFactory defaultPlatformWindowFactory();
}  // namespace VSTGUI
