#include "platform/x11_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/x11_error_trap.h"

namespace quillet::platform {

namespace {

constexpr long kEventMask =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
constexpr long kPointerMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

int32_t buttonsFromState(unsigned int state) {
  int32_t buttons = 0;
  if (state & Button1Mask) buttons |= kButtonLeft;
  if (state & Button2Mask) buttons |= kButtonMiddle;
  if (state & Button3Mask) buttons |= kButtonRight;
  if (state & ShiftMask) buttons |= kKeyShift;
  if (state & ControlMask) buttons |= kKeyControl;
  if (state & Mod1Mask) buttons |= kKeyAlt;
  return buttons;
}

int32_t buttonBit(unsigned int button) {
  switch (button) {
    case Button1:
      return kButtonLeft;
    case Button2:
      return kButtonMiddle;
    case Button3:
      return kButtonRight;
    default:
      return 0;
  }
}

class X11Window : public PlatformWindow {
 public:
  ~X11Window() override;
  static std::unique_ptr<PlatformWindow> create(Window parent, int32_t width, int32_t height);

  void processEvents(PlatformWindowEvents& events) override;
  bool processOnePaint(PlatformWindowEvents& events) override;
  void present(const PixelView& image, const Rect& area) override;
  MouseState pollMouse() override;
  MouseState queryMouse() override;
  uintptr_t nativeHandle() const override { return window; }
  int eventFileDescriptor() const override { return ConnectionNumber(display); }
  bool isGone() const override { return windowGone; }
  bool resize(int32_t newWidth, int32_t newHeight) override;

 private:
  // The client-side image `present` fills, for the window's current size.
  bool makeImage(int32_t imageWidth, int32_t imageHeight);
  X11Window() = default;
  void handle(const XEvent& event, PlatformWindowEvents& events);
  // Writes one pixel of ours (0xAARRGGBB) into the image, in the visual's format.
  void putPixel(int32_t x, int32_t y, uint32_t argb);

  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XImage* image = nullptr;
  Visual* visual = nullptr;
  int depth = 0;
  bool directCopy = false;  // the visual takes our pixels as they are
  bool windowGone = false;  // destroyed with the host's window
  int32_t width = 0;
  int32_t height = 0;
  MouseState tracked{Point(), 0};
  Rect exposed;  // exposures of the current burst, not painted yet
};

std::unique_ptr<PlatformWindow> X11Window::create(Window parent, int32_t width, int32_t height) {
  if (!parent || width <= 0 || height <= 0) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<X11Window> self(new X11Window());
  self->display = display;
  self->width = width;
  self->height = height;
  {
    X11ErrorTrap trap(display);
    XWindowAttributes parentAttributes;
    if (!XGetWindowAttributes(display, parent, &parentAttributes) || trap.failed()) {
      return nullptr;  // the destructor closes the connection
    }
    XSetWindowAttributes attributes;
    std::memset(&attributes, 0, sizeof attributes);
    attributes.event_mask = kEventMask;
    attributes.background_pixmap = None;  // we paint everything ourselves
    attributes.border_pixel = 0;
    self->window =
        XCreateWindow(display, parent, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWEventMask | CWBackPixmap | CWBorderPixel, &attributes);
    if (trap.failed() || !self->window) {
      self->window = 0;
      return nullptr;
    }
    XStoreName(display, self->window, "Window");
    self->gc = XCreateGC(display, self->window, 0, nullptr);
    XMapWindow(display, self->window);

    self->visual = parentAttributes.visual;
    self->depth = parentAttributes.depth;
    if (!self->makeImage(width, height)) return nullptr;
    if (trap.failed()) return nullptr;
  }
  XFlush(display);
  return std::unique_ptr<PlatformWindow>(self.release());
}

bool X11Window::makeImage(int32_t imageWidth, int32_t imageHeight) {
  char* data = static_cast<char*>(std::calloc(static_cast<size_t>(imageWidth) * imageHeight, 4));
  if (!data) return false;
  XImage* made =
      XCreateImage(display, visual, depth, ZPixmap, 0, data, imageWidth, imageHeight, 32, 0);
  if (!made) {
    std::free(data);
    return false;
  }
  if (image) XDestroyImage(image);
  image = made;
  directCopy = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
               image->red_mask == 0xff0000 && image->green_mask == 0xff00 &&
               image->blue_mask == 0xff && image->bytes_per_line == imageWidth * 4;
  return true;
}

bool X11Window::resize(int32_t newWidth, int32_t newHeight) {
  if (windowGone || newWidth <= 0 || newHeight <= 0) return false;
  if (!makeImage(newWidth, newHeight)) return false;
  width = newWidth;
  height = newHeight;
  X11ErrorTrap trap(display);
  XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFlush(display);
  return !trap.failed();
}

X11Window::~X11Window() {
  if (!display) return;
  {
    X11ErrorTrap trap(display);
    if (gc) XFreeGC(display, gc);
    // Gone already if the host destroyed its window first: the trap keeps the
    // BadWindow to itself.
    if (window && !windowGone) XDestroyWindow(display, window);
  }
  if (image) XDestroyImage(image);
  XCloseDisplay(display);
}

void X11Window::handle(const XEvent& event, PlatformWindowEvents& events) {
  switch (event.type) {
    case Expose: {
      // A burst of exposures ends with count 0: paint their union once.
      const XExposeEvent& e = event.xexpose;
      exposed = exposed.unite(Rect::fromSize(e.x, e.y, e.width, e.height));
      if (e.count == 0) {
        const Rect area = exposed;
        exposed = Rect();
        events.onPaint(area);
      }
      break;
    }
    case ButtonPress: {
      const XButtonEvent& e = event.xbutton;
      const Point where(e.x, e.y);
      if (e.button == Button4 || e.button == Button5) {
        events.onMouseWheel(where, e.button == Button4 ? 1.0f : -1.0f, buttonsFromState(e.state));
      } else if (const int32_t bit = buttonBit(e.button)) {
        tracked = MouseState{where, buttonsFromState(e.state) | bit};
        events.onMouseDown(where, tracked.buttons);
      }
      break;
    }
    case DestroyNotify:
      if (event.xdestroywindow.window == window) windowGone = true;
      break;
    default:
      break;  // motion and releases matter only inside a tracking loop
  }
}

void X11Window::processEvents(PlatformWindowEvents& events) {
  X11ErrorTrap trap(display);
  while (!windowGone && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    handle(event, events);
  }
}

bool X11Window::processOnePaint(PlatformWindowEvents& events) {
  if (windowGone) return false;
  X11ErrorTrap trap(display);
  XEvent event;
  if (!XCheckTypedWindowEvent(display, window, Expose, &event)) return false;
  handle(event, events);
  return true;
}

void X11Window::putPixel(int32_t x, int32_t y, uint32_t argb) {
  if (directCopy) {
    reinterpret_cast<uint32_t*>(image->data)[static_cast<size_t>(y) * width + x] = argb;
    return;
  }
  // Other visuals: spread each channel over its mask.
  auto channel = [](uint32_t value8, unsigned long mask) -> unsigned long {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    int bits = 0;
    while ((mask >> (shift + bits)) & 1) ++bits;
    const unsigned long scaled = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
    return (scaled << shift) & mask;
  };
  const unsigned long pixel = channel((argb >> 16) & 0xff, image->red_mask) |
                              channel((argb >> 8) & 0xff, image->green_mask) |
                              channel(argb & 0xff, image->blue_mask);
  XPutPixel(image, x, y, pixel);
}

void X11Window::present(const PixelView& source, const Rect& area) {
  if (windowGone || !source.pixels) return;
  const Rect clipped = area.intersect(Rect(0, 0, width < source.width ? width : source.width,
                                           height < source.height ? height : source.height));
  if (clipped.isEmpty()) return;
  for (int32_t y = clipped.top; y < clipped.bottom; ++y) {
    const uint32_t* row = source.pixels + static_cast<size_t>(y) * source.stride;
    for (int32_t x = clipped.left; x < clipped.right; ++x) putPixel(x, y, row[x] | 0xff000000u);
  }
  X11ErrorTrap trap(display);
  XPutImage(display, window, gc, image, clipped.left, clipped.top, clipped.left, clipped.top,
            clipped.width(), clipped.height());
  XFlush(display);
}

MouseState X11Window::pollMouse() {
  if (windowGone) return MouseState{tracked.where, 0};
  X11ErrorTrap trap(display);
  XEvent event;
  // Replay queued pointer events in order, so a quick drag or click that
  // arrived before we looked is seen as it happened.
  if (XCheckWindowEvent(display, window, kPointerMask, &event)) {
    if (event.type == MotionNotify) {
      tracked = MouseState{Point(event.xmotion.x, event.xmotion.y),
                           buttonsFromState(event.xmotion.state)};
    } else {
      const XButtonEvent& e = event.xbutton;
      int32_t buttons = buttonsFromState(e.state);
      const int32_t bit = buttonBit(e.button);
      buttons = event.type == ButtonPress ? (buttons | bit) : (buttons & ~bit);
      tracked = MouseState{Point(e.x, e.y), buttons};
    }
    return tracked;
  }
  tracked = queryMouse();
  return tracked;
}

MouseState X11Window::queryMouse() {
  if (windowGone) return MouseState{tracked.where, 0};
  X11ErrorTrap trap(display);
  Window root, child;
  int rootX, rootY, x, y;
  unsigned int mask;
  MouseState now{tracked.where, 0};  // no buttons if the pointer is on another screen
  if (XQueryPointer(display, window, &root, &child, &rootX, &rootY, &x, &y, &mask))
    now = MouseState{Point(x, y), buttonsFromState(mask)};
  if (trap.failed()) now.buttons = 0;
  return now;
}

}  // namespace

std::unique_ptr<PlatformWindow> createX11Window(void* parent, int32_t width, int32_t height) {
  return X11Window::create(static_cast<Window>(reinterpret_cast<uintptr_t>(parent)), width, height);
}

PlatformWindowFactory defaultPlatformWindowFactory() { return &createX11Window; }

}  // namespace quillet::platform
