// Keeps X errors of one connection away from the process-wide error handler.
// Xlib's default handler ends the process, and a host's window can vanish
// under an editor at any time (BadWindow); while a trap is alive, errors of
// its connection are only recorded, those of other connections (the host's)
// go on to whatever handler was installed before.
#pragma once

#include <X11/Xlib.h>

namespace quillet::platform {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display);
  // Syncs, so that errors of the trapped calls arrive while it is installed,
  // then puts the previous handler back.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Syncs and answers whether any error has arrived since the trap was set.
  bool failed();

 private:
  Display* display;
  X11ErrorTrap* outer;
  int (*previous)(Display*, XErrorEvent*);
  int errors = 0;

  static int handle(Display* display, XErrorEvent* event);
  static X11ErrorTrap* current;
};

}  // namespace quillet::platform
