#include "platform/x11_error_trap.h"

#include <mutex>

namespace quillet::platform {

X11ErrorTrap* X11ErrorTrap::current = nullptr;

namespace {
// The error handler is one per process. Editors idled from different threads
// take turns, so a trap never puts back a handler another one installed (which
// could point into this library after the host unloads it).
std::recursive_mutex& trapTurn() {
  static std::recursive_mutex turn;
  return turn;
}
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display(display), outer(nullptr) {
  trapTurn().lock();
  outer = current;
  previous = XSetErrorHandler(&X11ErrorTrap::handle);
  current = this;
}

X11ErrorTrap::~X11ErrorTrap() {
  if (display) XSync(display, False);
  current = outer;
  XSetErrorHandler(previous);
  trapTurn().unlock();
}

bool X11ErrorTrap::failed() {
  if (display) XSync(display, False);
  return errors != 0;
}

int X11ErrorTrap::handle(Display* display, XErrorEvent* event) {
  for (X11ErrorTrap* trap = current; trap; trap = trap->outer) {
    if (trap->display == display) {
      ++trap->errors;
      return 0;
    }
  }
  // Another connection's error: the handler that was there before decides.
  X11ErrorTrap* outermost = current;
  while (outermost && outermost->outer) outermost = outermost->outer;
  if (outermost && outermost->previous) return outermost->previous(display, event);
  return 0;
}

}  // namespace quillet::platform
