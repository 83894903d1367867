// A key as the view library takes it: the character, or a virtual key for
// keys without one, and the modifier keys held. The owner of a frame turns
// its system's or host's keys into this form.
#pragma once

#include <cstdint>

namespace VSTGUI {

// Virtual keys, numbered as plug-in hosts have long numbered them, so a host's
// key code carries over unchanged. VST 2.4's numbering ends at VKEY_EQUALS;
// VST3's goes on with the context-menu key (Windows' Menu key) at 58.
enum VirtualKey : uint8_t {
  // clang-format off
  VKEY_BACK = 1, VKEY_TAB, VKEY_CLEAR, VKEY_RETURN, VKEY_PAUSE, VKEY_ESCAPE, VKEY_SPACE,
  VKEY_NEXT, VKEY_END, VKEY_HOME, VKEY_LEFT, VKEY_UP, VKEY_RIGHT, VKEY_DOWN, VKEY_PAGEUP,
  VKEY_PAGEDOWN, VKEY_SELECT, VKEY_PRINT, VKEY_ENTER, VKEY_SNAPSHOT, VKEY_INSERT, VKEY_DELETE,
  VKEY_HELP, VKEY_NUMPAD0, VKEY_NUMPAD1, VKEY_NUMPAD2, VKEY_NUMPAD3, VKEY_NUMPAD4, VKEY_NUMPAD5,
  VKEY_NUMPAD6, VKEY_NUMPAD7, VKEY_NUMPAD8, VKEY_NUMPAD9, VKEY_MULTIPLY, VKEY_ADD,
  VKEY_SEPARATOR, VKEY_SUBTRACT, VKEY_DECIMAL, VKEY_DIVIDE, VKEY_F1, VKEY_F2, VKEY_F3, VKEY_F4,
  VKEY_F5, VKEY_F6, VKEY_F7, VKEY_F8, VKEY_F9, VKEY_F10, VKEY_F11, VKEY_F12, VKEY_NUMLOCK,
  VKEY_SCROLL, VKEY_SHIFT, VKEY_CONTROL, VKEY_ALT, VKEY_EQUALS, VKEY_CONTEXTMENU
  // clang-format on
};

// Modifier bits of a key.
enum KeyModifier : uint8_t {
  MODIFIER_SHIFT = 1,
  MODIFIER_ALTERNATE = 2,
  MODIFIER_COMMAND = 4,
  MODIFIER_CONTROL = 8,
};

struct CKeyCode {
  int32_t character = 0;  // the character typed, 0 for a virtual key
  uint8_t virt = 0;       // a VirtualKey, 0 for a character
  uint8_t modifier = 0;   // KeyModifier bits
};

}  // namespace VSTGUI
