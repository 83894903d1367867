// Keys typed into the panel's window. A VST host forwards keys through the
// editor's key requests; an LV2 host (and the standalone program's own
// window) lets the X server deliver them to the panel's window. This reader
// watches that window on a connection of its own and hands each key over in
// the view library's form.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "gui/key_code.h"

namespace quillet::editor {

class X11KeyReader {
 public:
  // Null when there is no display or the window cannot be watched.
  static std::unique_ptr<X11KeyReader> watch(uintptr_t window);
  ~X11KeyReader();
  X11KeyReader(const X11KeyReader&) = delete;
  X11KeyReader& operator=(const X11KeyReader&) = delete;

  // Reports every key press (`down`) and release waiting, without blocking.
  void read(const std::function<void(VSTGUI::CKeyCode& key, bool down)>& onKey);

 private:
  X11KeyReader() = default;
  void* display = nullptr;  // Display*, kept out of this header
};

// The panel's form of an X key: `keysym` unshifted, `state` the X modifier
// bits. Keys without a virtual code carry their character (a..z, 0..9, ...).
VSTGUI::CKeyCode keyCodeFromX11(unsigned long keysym, unsigned int state);

}  // namespace quillet::editor
