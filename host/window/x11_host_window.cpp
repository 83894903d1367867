#include "host/window/x11_host_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace quillet::host {

namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::unique_ptr<X11HostWindow> X11HostWindow::create(int width, int height,
                                                     const std::string& title, std::string* error) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    if (error) *error = "cannot open the X display (is DISPLAY set? try xvfb-run)";
    return nullptr;
  }
  std::unique_ptr<X11HostWindow> self(new X11HostWindow());
  self->display = display;
  self->width = width;
  self->height = height;
  const int screen = DefaultScreen(display);
  self->window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                                     BlackPixel(display, screen), BlackPixel(display, screen));
  XStoreName(display, self->window, title.c_str());
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, self->window, &hints);
  XSelectInput(display, self->window, StructureNotifyMask | ExposureMask);
  XMapWindow(display, self->window);
  // Wait until the server has mapped it, so the editor's window shows at once.
  for (int i = 0; i < 200; ++i) {
    XEvent event;
    if (XCheckTypedWindowEvent(display, self->window, MapNotify, &event)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  XSync(display, False);
  return self;
}

X11HostWindow::~X11HostWindow() {
  if (!display) return;
  if (window) XDestroyWindow(dpy(display), window);
  XCloseDisplay(dpy(display));
}

void* X11HostWindow::parentHandle() const { return reinterpret_cast<void*>(window); }

void X11HostWindow::pump() {
  if (!display) return;
  while (XPending(dpy(display)) > 0) {
    XEvent event;
    XNextEvent(dpy(display), &event);
    // Someone else may size the window (a plug-in's UI following its panel).
    if (event.type == ConfigureNotify && event.xconfigure.window == window) {
      width = event.xconfigure.width;
      height = event.xconfigure.height;
    }
  }
}

void X11HostWindow::sync() {
  if (display) XSync(dpy(display), False);
}

bool X11HostWindow::capture(std::vector<unsigned char>* rgb, int* outWidth, int* outHeight) {
  if (!display || !window) return false;
  XSync(dpy(display), False);
  XImage* image = XGetImage(dpy(display), window, 0, 0, width, height, AllPlanes, ZPixmap);
  if (!image) return false;
  rgb->resize(static_cast<size_t>(width) * height * 3);
  auto channel = [](unsigned long pixel, unsigned long mask) -> unsigned char {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long max = mask >> shift;
    return static_cast<unsigned char>(value * 255 / max);
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      unsigned char* out = &(*rgb)[(static_cast<size_t>(y) * width + x) * 3];
      out[0] = channel(pixel, image->red_mask);
      out[1] = channel(pixel, image->green_mask);
      out[2] = channel(pixel, image->blue_mask);
    }
  XDestroyImage(image);
  *outWidth = width;
  *outHeight = height;
  return true;
}

bool X11HostWindow::resize(int newWidth, int newHeight) {
  if (!display || !window || newWidth <= 0 || newHeight <= 0) return false;
  width = newWidth;
  height = newHeight;
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(dpy(display), window, &hints);
  XResizeWindow(dpy(display), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(dpy(display), False);
  return true;
}

bool X11HostWindow::growTo(int minWidth, int minHeight) {
  if (!display || !window || minWidth <= 0 || minHeight <= 0) return false;
  XSizeHints hints{};
  hints.flags = PMinSize;
  hints.min_width = minWidth;
  hints.min_height = minHeight;
  XSetWMNormalHints(dpy(display), window, &hints);
  width = std::max(width, minWidth);
  height = std::max(height, minHeight);
  XResizeWindow(dpy(display), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(dpy(display), False);
  return true;
}

bool X11HostWindow::size(int* outWidth, int* outHeight) {
  if (!display || !window) return false;
  Window root;
  int x, y;
  unsigned w, h, border, depth;
  if (!XGetGeometry(dpy(display), window, &root, &x, &y, &w, &h, &border, &depth)) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  *outWidth = width;
  *outHeight = height;
  return true;
}

void X11HostWindow::destroyWindow() {
  if (!display || !window) return;
  XDestroyWindow(dpy(display), window);
  window = 0;
  XSync(dpy(display), False);
}

bool X11HostWindow::origin(int* x, int* y) {
  if (!display || !window) return false;
  Window child;
  auto* previous = XSetErrorHandler(&ignoreErrors);
  const Bool ok = XTranslateCoordinates(dpy(display), window, DefaultRootWindow(dpy(display)), 0, 0,
                                        x, y, &child);
  XSync(dpy(display), False);
  XSetErrorHandler(previous);
  return ok != 0;
}

}  // namespace quillet::host
