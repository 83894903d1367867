// A window backend without a window system, for tests: it keeps the shown
// pixels in memory, delivers queued events and answers mouse polls from a
// script.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "platform/platform_window.h"

namespace quillet::platform {

class HeadlessWindow : public PlatformWindow {
 public:
  HeadlessWindow(void* parent, int32_t width, int32_t height);
  ~HeadlessWindow() override;

  // The factory frames use once installed with setPlatformWindowFactory;
  // a null parent gets no window, as with a real window system.
  static std::unique_ptr<PlatformWindow> create(void* parent, int32_t width, int32_t height);
  // The window made last and still alive, or null.
  static HeadlessWindow* latest();
  static int liveCount();

  // Input a test feeds in; delivered at the next processEvents.
  void queuePaint(const Rect& area);
  void queueMouseDown(const Point& where, int32_t buttons);
  void queueWheel(const Point& where, float distance, int32_t buttons);
  // Successive answers to pollMouse; afterwards the pointer stays where the
  // script left it with every button up.
  void scriptMouse(const std::vector<MouseState>& states);
  // Puts the pointer somewhere without pressing anything.
  void movePointer(const MouseState& state) { lastMouse = state; }

  // What the window shows, top row first, and the areas shown so far.
  uint32_t pixel(int32_t x, int32_t y) const;
  const std::vector<uint32_t>& screen() const { return shown; }
  const std::vector<Rect>& presentedAreas() const { return presented; }
  void clearPresented() { presented.clear(); }
  void* parent() const { return parentWindow; }
  int pollCount() const { return polls; }

  void processEvents(PlatformWindowEvents& events) override;
  bool processOnePaint(PlatformWindowEvents& events) override;
  void present(const PixelView& image, const Rect& area) override;
  MouseState pollMouse() override;
  MouseState queryMouse() override { return lastMouse; }
  bool resize(int32_t newWidth, int32_t newHeight) override;
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

  void* parentWindow;
  int32_t width;
  int32_t height;
  std::vector<uint32_t> shown;
  std::vector<Rect> presented;
  std::deque<Event> events;
  std::deque<MouseState> script;
  MouseState lastMouse{Point(), 0};
  int polls = 0;
};

}  // namespace quillet::platform
