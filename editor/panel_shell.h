// The format-free half of an editor: owns the frame between open and close,
// paces idle work inside mouse tracking, routes keys and the wheel, and
// passes the controls' edit gestures to the host through PanelHost. A
// concrete panel builds the frame and its controls.
//
// Threads: everything here runs on the user-interface thread of the host.
#pragma once

#include <cstdint>

#include "core/panel_host.h"
#include "gui/cframe_owner.h"
#include "gui/key_code.h"

namespace VSTGUI {
class CFrame;
}

namespace quillet::editor {

class PanelShell : public VSTGUI::CFrameOwner {
 public:
  explicit PanelShell(core::PanelHost& host);
  ~PanelShell() override;
  PanelShell(const PanelShell&) = delete;
  PanelShell& operator=(const PanelShell&) = delete;

  // True between a successful open and the next close.
  bool isOpen() const { return frame != nullptr; }
  VSTGUI::CFrame* getFrame() const { return frame; }
  // Deletes the frame, its window and its controls.
  virtual void close();

  // Reads the window's events and redraws what changed. Does nothing while
  // the panel's own idle pass asks the host to idle (a host that answers
  // with an idle of its own does not redraw from inside it).
  virtual void idle();

  // Keys for the control with the keyboard focus; true when one used it.
  virtual bool keyDown(VSTGUI::CKeyCode& key);
  bool keyUp(VSTGUI::CKeyCode& key);
  // A wheel turn at the pointer's position; one notch away from the user is
  // +1. True when a control used it.
  bool wheel(float distance);

  // The window inside the host's (an X11 window id, an HWND); 0 when closed.
  uintptr_t nativeWindow() const;
  // For hosts that run the panel from their own event loop: readable when
  // the window has events waiting (-1 when the system delivers them itself
  // or the panel is closed). Call idle() then.
  int eventFileDescriptor() const;
  // True when the panel is closed or its window was destroyed from outside.
  bool windowGone() const;

  // The knob mode of every panel in the process (a VSTGUI::CKnobMode);
  // starts circular.
  static int32_t knobMode;
  static void setKnobMode(int32_t mode) { knobMode = mode; }

  // VSTGUI::CFrameOwner
  void beginEdit(int32_t tag) override;
  void endEdit(int32_t tag) override;
  // Every turn of a mouse-tracking loop: a full pass (idle, one paint,
  // the host's idle) about every 50 ms, a 4 ms sleep on the turns between.
  void doIdleStuff() override;
  int32_t getKnobMode() const override { return knobMode; }

 protected:
  // Takes over a frame built by the concrete panel.
  void adoptFrame(VSTGUI::CFrame* built) { frame = built; }

  core::PanelHost& host;

 private:
  VSTGUI::CFrame* frame = nullptr;
  uint32_t lastTicks;        // the earliest time of the next full pass
  bool inIdleStuff = false;  // while the full pass asks the host to idle
};

}  // namespace quillet::editor
