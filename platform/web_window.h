// The panel's window in a web page: a <canvas> that the page's JavaScript
// side (web/site/panel.js) draws and reads input from. The page hands events
// in through the panel module's exports (web/panel/panel_exports.cpp), which
// queue them here; present() hands pixels out to the canvas.
//
// The controls track the mouse in loops that poll the pointer. The page's
// thread must never block, so pollMouse() suspends the module (Asyncify)
// until the browser delivers the next pointer event or the next animation
// frame, and resumes where it was; meanwhile the page keeps other calls
// into the module back (panel.js).
#pragma once

#include <deque>
#include <memory>

#include "platform/platform_window.h"

namespace quillet::platform {

class WebWindow : public PlatformWindow {
 public:
  WebWindow(int32_t width, int32_t height);
  ~WebWindow() override;

  static std::unique_ptr<PlatformWindow> create(void* parent, int32_t width, int32_t height);
  // The one window the page shows, or null.
  static WebWindow* current();

  // Input from the page, delivered at the next processEvents.
  void queuePaint(const Rect& area);
  void queueMouseDown(const Point& where, int32_t buttons);
  void queueWheel(const Point& where, float distance, int32_t buttons);

  // Where the page writes the pointer before it resumes a suspended
  // pollMouse: x, y and the held buttons and keys (mouse_state.h bits).
  static int32_t* pointerSlot();

  void processEvents(PlatformWindowEvents& events) override;
  bool processOnePaint(PlatformWindowEvents& events) override;
  void present(const PixelView& image, const Rect& area) override;
  MouseState pollMouse() override;
  MouseState queryMouse() override { return lastMouse; }
  bool resize(int32_t width, int32_t height) override;
  int32_t getWidth() const { return width; }
  int32_t getHeight() const { return height; }

 private:
  struct Event {
    enum Kind { kPaint, kPress, kWheel } kind;
    Rect area;
    Point where;
    int32_t buttons;
    float distance;
  };

  int32_t width;
  int32_t height;
  std::deque<Event> events;
  MouseState lastMouse{Point(), 0};
};

}  // namespace quillet::platform
