#include "platform/headless_window.h"

#include <algorithm>

namespace quillet::platform {

namespace {
std::vector<HeadlessWindow*>& liveWindows() {
  static std::vector<HeadlessWindow*> windows;
  return windows;
}
}  // namespace

HeadlessWindow::HeadlessWindow(void* parent, int32_t width, int32_t height)
    : parentWindow(parent),
      width(width),
      height(height),
      shown(static_cast<size_t>(width) * height, 0) {
  liveWindows().push_back(this);
  // A newly mapped window is asked to paint itself once.
  queuePaint(Rect(0, 0, width, height));
}

HeadlessWindow::~HeadlessWindow() {
  auto& windows = liveWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

std::unique_ptr<PlatformWindow> HeadlessWindow::create(void* parent, int32_t width,
                                                       int32_t height) {
  if (!parent || width <= 0 || height <= 0) return nullptr;
  return std::unique_ptr<PlatformWindow>(new HeadlessWindow(parent, width, height));
}

HeadlessWindow* HeadlessWindow::latest() {
  auto& windows = liveWindows();
  return windows.empty() ? nullptr : windows.back();
}

int HeadlessWindow::liveCount() { return static_cast<int>(liveWindows().size()); }

void HeadlessWindow::queuePaint(const Rect& area) {
  events.push_back(Event{Event::kPaint, area, Point(), 0, 0.0f});
}

void HeadlessWindow::queueMouseDown(const Point& where, int32_t buttons) {
  events.push_back(Event{Event::kPress, Rect(), where, buttons, 0.0f});
  lastMouse = MouseState{where, buttons};
}

void HeadlessWindow::queueWheel(const Point& where, float distance, int32_t buttons) {
  events.push_back(Event{Event::kWheel, Rect(), where, buttons, distance});
}

void HeadlessWindow::scriptMouse(const std::vector<MouseState>& states) {
  script.assign(states.begin(), states.end());
}

uint32_t HeadlessWindow::pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0;
  return shown[static_cast<size_t>(y) * width + x];
}

void HeadlessWindow::processEvents(PlatformWindowEvents& sink) {
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

bool HeadlessWindow::processOnePaint(PlatformWindowEvents& sink) {
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

void HeadlessWindow::present(const PixelView& image, const Rect& area) {
  const Rect clipped =
      area.intersect(Rect(0, 0, std::min(width, image.width), std::min(height, image.height)));
  if (clipped.isEmpty() || !image.pixels) return;
  presented.push_back(clipped);
  for (int32_t y = clipped.top; y < clipped.bottom; ++y)
    for (int32_t x = clipped.left; x < clipped.right; ++x)
      shown[static_cast<size_t>(y) * width + x] =
          image.pixels[static_cast<size_t>(y) * image.stride + x];
}

bool HeadlessWindow::resize(int32_t newWidth, int32_t newHeight) {
  if (newWidth <= 0 || newHeight <= 0) return false;
  width = newWidth;
  height = newHeight;
  shown.assign(static_cast<size_t>(width) * height, 0);
  return true;
}

MouseState HeadlessWindow::pollMouse() {
  ++polls;
  if (!script.empty()) {
    lastMouse = script.front();
    script.pop_front();
  } else {
    lastMouse.buttons = 0;
  }
  return lastMouse;
}

}  // namespace quillet::platform
