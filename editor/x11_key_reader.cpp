#include "editor/x11_key_reader.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/x11_error_trap.h"

namespace quillet::editor {

namespace {

Display* dpy(void* display) { return static_cast<Display*>(display); }

uint8_t virtualKey(unsigned long keysym) {
  switch (keysym) {
    case XK_BackSpace:
      return VSTGUI::VKEY_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return VSTGUI::VKEY_TAB;
    case XK_Return:
      return VSTGUI::VKEY_RETURN;
    case XK_KP_Enter:
      return VSTGUI::VKEY_ENTER;
    case XK_Escape:
      return VSTGUI::VKEY_ESCAPE;
    case XK_space:
      return VSTGUI::VKEY_SPACE;
    case XK_Home:
      return VSTGUI::VKEY_HOME;
    case XK_End:
      return VSTGUI::VKEY_END;
    case XK_Left:
    case XK_KP_Left:
      return VSTGUI::VKEY_LEFT;
    case XK_Up:
    case XK_KP_Up:
      return VSTGUI::VKEY_UP;
    case XK_Right:
    case XK_KP_Right:
      return VSTGUI::VKEY_RIGHT;
    case XK_Down:
    case XK_KP_Down:
      return VSTGUI::VKEY_DOWN;
    case XK_Page_Up:
      return VSTGUI::VKEY_PAGEUP;
    case XK_Page_Down:
      return VSTGUI::VKEY_PAGEDOWN;
    case XK_Insert:
      return VSTGUI::VKEY_INSERT;
    case XK_Delete:
      return VSTGUI::VKEY_DELETE;
    case XK_Shift_L:
    case XK_Shift_R:
      return VSTGUI::VKEY_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
      return VSTGUI::VKEY_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
      return VSTGUI::VKEY_ALT;
    // The panel's menu: Shift+F10, or the Menu key.
    case XK_F10:
      return VSTGUI::VKEY_F10;
    case XK_Menu:
      return VSTGUI::VKEY_CONTEXTMENU;
    default:
      return 0;
  }
}

}  // namespace

VSTGUI::CKeyCode keyCodeFromX11(unsigned long keysym, unsigned int state) {
  VSTGUI::CKeyCode key;
  key.virt = virtualKey(keysym);
  if (!key.virt && keysym >= 0x20 && keysym <= 0x7e) key.character = static_cast<int32_t>(keysym);
  if (state & ShiftMask) key.modifier |= VSTGUI::MODIFIER_SHIFT;
  if (state & ControlMask) key.modifier |= VSTGUI::MODIFIER_CONTROL;
  if (state & Mod1Mask) key.modifier |= VSTGUI::MODIFIER_ALTERNATE;
  return key;
}

std::unique_ptr<X11KeyReader> X11KeyReader::watch(uintptr_t window) {
  if (!window) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<X11KeyReader> reader(new X11KeyReader());
  reader->display = display;
  quillet::platform::X11ErrorTrap trap(display);
  // Key events may be selected by any number of clients, so this takes
  // nothing away from the window's own connection.
  XSelectInput(display, static_cast<Window>(window), KeyPressMask | KeyReleaseMask);
  if (trap.failed()) return nullptr;
  return reader;
}

X11KeyReader::~X11KeyReader() {
  if (display) XCloseDisplay(dpy(display));
}

void X11KeyReader::read(const std::function<void(VSTGUI::CKeyCode& key, bool down)>& onKey) {
  // The window may be gone with the host's: its errors stay here.
  quillet::platform::X11ErrorTrap trap(dpy(display));
  while (XPending(dpy(display)) > 0) {
    XEvent event;
    XNextEvent(dpy(display), &event);
    if (event.type != KeyPress && event.type != KeyRelease) continue;
    VSTGUI::CKeyCode key = keyCodeFromX11(XLookupKeysym(&event.xkey, 0), event.xkey.state);
    onKey(key, event.type == KeyPress);
  }
}

}  // namespace quillet::editor
