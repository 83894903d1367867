#include "lv2/ui/host_window_follower.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "platform/x11_error_trap.h"

namespace quillet::lv2::ui {

namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

bool sizeOf(Display* display, Window window, int32_t* width, int32_t* height) {
  Window root;
  int x, y;
  unsigned w, h, border, depth;
  if (!XGetGeometry(display, window, &root, &x, &y, &w, &h, &border, &depth)) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

Window parentOf(Display* display, Window window, Window* root) {
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, root, &parent, &children, &count)) return 0;
  if (children) XFree(children);
  return parent;
}

// The host's top-level window holding `window`: the highest ancestor a
// window manager manages (it carries WM_STATE), or without a window manager
// the ancestor straight under the root window. 0 when there is none.
Window topLevelOf(Display* display, Window window) {
  const Atom wmState = XInternAtom(display, "WM_STATE", True);
  Window managed = 0, top = 0, root = 0;
  for (Window w = window; w;) {
    const Window parent = parentOf(display, w, &root);
    if (!parent) return 0;
    if (wmState != None) {
      Atom type = None;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(display, w, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                             &items, &after, &data) == Success &&
          type != None)
        managed = w;
      if (data) XFree(data);
    }
    if (parent == root) {
      top = w;
      break;
    }
    w = parent;
  }
  return managed ? managed : top;
}

}  // namespace

std::unique_ptr<HostWindowFollower> HostWindowFollower::watch(uintptr_t panelWindow, int32_t width,
                                                              int32_t height) {
  if (!panelWindow) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<HostWindowFollower> follower(new HostWindowFollower());
  follower->display = display;
  follower->panel = panelWindow;
  follower->width = width;
  follower->height = height;
  return follower;
}

HostWindowFollower::~HostWindowFollower() {
  if (display) XCloseDisplay(dpy(display));
}

void HostWindowFollower::panelResized(int32_t newWidth, int32_t newHeight) {
  pending = newWidth < width || newHeight < height;
  width = newWidth;
  height = newHeight;
  deadline = std::chrono::steady_clock::now() + kPatience;
}

void HostWindowFollower::idle() {
  if (!pending) return;
  if (std::chrono::steady_clock::now() > deadline) {
    pending = false;
    return;
  }
  Display* d = dpy(display);
  quillet::platform::X11ErrorTrap trap(d);
  Window root = 0;
  const Window area = parentOf(d, panel, &root);
  int32_t areaWidth = 0, areaHeight = 0;
  if (!area || area == root || !sizeOf(d, area, &areaWidth, &areaHeight) || trap.failed()) {
    pending = false;  // no host window (any more)
    return;
  }
  const int32_t extraWidth = std::max(0, areaWidth - width);
  const int32_t extraHeight = std::max(0, areaHeight - height);
  if (extraWidth == 0 && extraHeight == 0) {
    // The host gives the panel what it needs: nothing to follow (for a larger
    // panel, the host grew; for a smaller one, it shrank by itself).
    if (areaWidth == width && areaHeight == height) pending = false;
    return;
  }
  const Window top = topLevelOf(d, area);
  int32_t topWidth = 0, topHeight = 0;
  if (!top || !sizeOf(d, top, &topWidth, &topHeight) || trap.failed()) {
    pending = false;
    return;
  }
  const int32_t targetWidth = topWidth - extraWidth, targetHeight = topHeight - extraHeight;
  if (targetWidth <= 0 || targetHeight <= 0) {
    pending = false;
    return;
  }
  // Until the host has taken the new size, its window may not be made that
  // small: wait for it.
  XSizeHints hints{};
  long supplied = 0;
  if (XGetWMNormalHints(d, top, &hints, &supplied) && (hints.flags & PMinSize) &&
      (hints.min_width > targetWidth || hints.min_height > targetHeight))
    return;
  XResizeWindow(d, top, static_cast<unsigned>(targetWidth), static_cast<unsigned>(targetHeight));
  XFlush(d);
  pending = false;
}

}  // namespace quillet::lv2::ui
