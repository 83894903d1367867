#include "platform/web_window.h"

#include "platform/web_import.h"

// The page's side (web/site/panel.js).
extern "C" {
// Copies the rectangle [left, right) x [top, bottom) of the image (32-bit
// pixels, blue, green, red, alpha in memory, `stride` pixels a row) to the
// same place on the canvas.
QUILLET_WEB_IMPORT(window_present)
void quillet_web_window_present(const uint32_t* pixels, int32_t stride, int32_t left, int32_t top,
                                int32_t right, int32_t bottom);
// Suspends until the next pointer event or animation frame, then resumes
// with the pointer written into pointerSlot().
QUILLET_WEB_IMPORT(window_wait_pointer) void quillet_web_window_wait_pointer();
// The canvas takes a new size in pixels; false if the page refuses.
QUILLET_WEB_IMPORT(window_resize) int32_t quillet_web_window_resize(int32_t width, int32_t height);
}

namespace quillet::platform {

namespace {
WebWindow* shown = nullptr;
int32_t pointer[3] = {0, 0, 0};
}  // namespace

WebWindow::WebWindow(int32_t width, int32_t height) : width(width), height(height) {
  shown = this;
  quillet_web_window_resize(width, height);
  queuePaint(Rect(0, 0, width, height));
}

WebWindow::~WebWindow() {
  if (shown == this) shown = nullptr;
}

std::unique_ptr<PlatformWindow> WebWindow::create(void* parent, int32_t width, int32_t height) {
  if (!parent || width <= 0 || height <= 0) return nullptr;
  return std::unique_ptr<PlatformWindow>(new WebWindow(width, height));
}

PlatformWindowFactory defaultPlatformWindowFactory() { return &WebWindow::create; }

WebWindow* WebWindow::current() { return shown; }

int32_t* WebWindow::pointerSlot() { return pointer; }

void WebWindow::queuePaint(const Rect& area) {
  events.push_back(Event{Event::kPaint, area, Point(), 0, 0.0f});
}

void WebWindow::queueMouseDown(const Point& where, int32_t buttons) {
  events.push_back(Event{Event::kPress, Rect(), where, buttons, 0.0f});
  lastMouse = MouseState{where, buttons};
}

void WebWindow::queueWheel(const Point& where, float distance, int32_t buttons) {
  events.push_back(Event{Event::kWheel, Rect(), where, buttons, distance});
}

void WebWindow::processEvents(PlatformWindowEvents& sink) {
  while (!events.empty()) {
    const Event event = events.front();
    events.pop_front();
    switch (event.kind) {
      case Event::kPaint:
        sink.onPaint(event.area);
        break;
      case Event::kPress:
        sink.onMouseDown(event.where, event.buttons);
        break;
      case Event::kWheel:
        sink.onMouseWheel(event.where, event.distance, event.buttons);
        break;
    }
  }
}

bool WebWindow::processOnePaint(PlatformWindowEvents& sink) {
  for (auto it = events.begin(); it != events.end(); ++it) {
    if (it->kind == Event::kPaint) {
      const Rect area = it->area;
      events.erase(it);
      sink.onPaint(area);
      return true;
    }
  }
  return false;
}

void WebWindow::present(const PixelView& image, const Rect& area) {
  const Rect clipped = area.intersect(Rect(0, 0, image.width, image.height));
  if (clipped.isEmpty() || !image.pixels) return;
  quillet_web_window_present(image.pixels, image.stride, clipped.left, clipped.top, clipped.right,
                             clipped.bottom);
}

MouseState WebWindow::pollMouse() {
  quillet_web_window_wait_pointer();
  lastMouse = MouseState{Point(pointer[0], pointer[1]), pointer[2]};
  return lastMouse;
}

bool WebWindow::resize(int32_t newWidth, int32_t newHeight) {
  if (newWidth <= 0 || newHeight <= 0 || !quillet_web_window_resize(newWidth, newHeight))
    return false;
  width = newWidth;
  height = newHeight;
  return true;
}

}  // namespace quillet::platform
