#include "standalone/panel_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>

#include "editor/quillet_panel.h"
#include "editor/x11_key_reader.h"
#include "gui/cframe.h"
#include "platform/x11_error_trap.h"

namespace quillet::standalone {

namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

// The window keeps the panel's size: the panel's own menu changes it.
void fixSize(Display* display, Window window, int32_t width, int32_t height) {
  XSizeHints hints{};
  hints.flags = PMinSize | PMaxSize;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  XSetWMNormalHints(display, window, &hints);
}

}  // namespace

PanelWindow::PanelWindow(quillet::core::EchoCore& core, Pedal& pedal,
                         std::function<double()> transportTempo)
    : core(core), pedal(pedal), transportTempo(std::move(transportTempo)) {}

std::unique_ptr<PanelWindow> PanelWindow::open(quillet::core::EchoCore& core, Pedal& pedal,
                                               std::function<double()> transportTempo,
                                               const std::string& title, std::string* error) {
  std::unique_ptr<PanelWindow> self(new PanelWindow(core, pedal, std::move(transportTempo)));
  if (!self->create(title, error)) return nullptr;
  return self;
}

bool PanelWindow::create(const std::string& title, std::string* error) {
  display = XOpenDisplay(nullptr);
  if (!display) {
    *error = "cannot open the X display for the panel (--no-gui runs without it)";
    return false;
  }
  quillet::core::PanelHost& host = *this;
  panel = std::make_unique<quillet::editor::QuilletPanel>(host);
  if (panel->width() <= 0 || panel->height() <= 0) {
    *error = "the panel has no pictures";
    return false;
  }
  Display* d = dpy(display);
  const int screen = DefaultScreen(d);
  window = XCreateSimpleWindow(
      d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(panel->width()),
      static_cast<unsigned>(panel->height()), 0, BlackPixel(d, screen), BlackPixel(d, screen));
  fixSize(d, window, panel->width(), panel->height());
  XClassHint classHint{const_cast<char*>("quillet-k3"), const_cast<char*>("Quillet K3")};
  XSetClassHint(d, window, &classHint);
  deleteAtom = XInternAtom(d, "WM_DELETE_WINDOW", False);
  Atom protocols[] = {static_cast<Atom>(deleteAtom)};
  XSetWMProtocols(d, window, protocols, 1);
  XSelectInput(d, window, StructureNotifyMask);
  setTitle(title);
  XMapWindow(d, window);
  XSync(d, False);
  if (!panel->open(reinterpret_cast<void*>(window))) {
    *error = "the panel could not open in its window";
    return false;
  }
  requestResize(panel->width(), panel->height());
  keys = quillet::editor::X11KeyReader::watch(panel->nativeWindow());
  return true;
}

PanelWindow::~PanelWindow() {
  keys.reset();
  panel.reset();  // its window goes first, on its own connection
  if (!display) return;
  if (window) {
    // The window may have been destroyed from outside a moment ago.
    quillet::platform::X11ErrorTrap trap(dpy(display));
    XDestroyWindow(dpy(display), window);
  }
  XCloseDisplay(dpy(display));
}

void PanelWindow::setTitle(const std::string& title) {
  Display* d = dpy(display);
  if (!window) return;
  quillet::platform::X11ErrorTrap trap(d);
  // WM_NAME for any window manager, _NET_WM_NAME in UTF-8 for the newer ones.
  XStoreName(d, window, title.c_str());
  XChangeProperty(d, window, XInternAtom(d, "_NET_WM_NAME", False),
                  XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
}

std::vector<int> PanelWindow::fileDescriptors() const {
  std::vector<int> fds{ConnectionNumber(dpy(display))};
  if (panel->eventFileDescriptor() >= 0) fds.push_back(panel->eventFileDescriptor());
  return fds;
}

void PanelWindow::idle() {
  Display* d = dpy(display);
  while (XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    if (event.type == ClientMessage &&
        static_cast<unsigned long>(event.xclient.data.l[0]) == deleteAtom)
      closeAsked = true;
    if (event.type == DestroyNotify && event.xdestroywindow.window == window) {
      window = 0;  // destroyed from outside: nothing left to destroy
      closeAsked = true;
    }
  }
  if (keys) {
    keys->read([this](VSTGUI::CKeyCode& key, bool down) {
      if (down)
        panel->keyDown(key);
      else
        panel->keyUp(key);
    });
  }
  panel->idle();
  if (panel->windowGone()) closeAsked = true;
}

void PanelWindow::catchUp() {
  {
    // Gone already if the display or the window went away.
    quillet::platform::X11ErrorTrap trap(dpy(display));
    XSync(dpy(display), False);
  }
  idle();
}

bool PanelWindow::waitUntilDrawn(int limitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(limitMs);
  for (;;) {
    idle();
    const VSTGUI::CFrame* frame = panel->getFrame();
    if (closeAsked || !frame || frame->isOpen()) return !closeAsked && frame;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return false;
    std::vector<pollfd> fds;
    for (int fd : fileDescriptors()) fds.push_back({fd, POLLIN, 0});
    poll(fds.data(), fds.size(), static_cast<int>(left));
  }
}

void PanelWindow::showAllValues() { showValues((1u << core::kNumQuilletParams) - 1); }

void PanelWindow::showValues(uint32_t changed) {
  for (int32_t i = 0; i < core::kNumQuilletParams; ++i)
    if (changed >> i & 1u) panel->parameterChanged(i);
}

bool PanelWindow::requestResize(int32_t width, int32_t height) {
  if (!display || !window || width <= 0 || height <= 0) return false;
  Display* d = dpy(display);
  quillet::platform::X11ErrorTrap trap(d);
  fixSize(d, window, width, height);
  XResizeWindow(d, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  return !trap.failed();
}

}  // namespace quillet::standalone
