// The top-level view: owns the editor's child window, the controls, the
// offscreen image they draw into, and routes input to them.
#pragma once

#include <memory>

#include "gui/cdraw_context.h"
#include "gui/cview.h"
#include "gui/platform_window.h"

class AEffGUIEditor;

namespace VSTGUI {

class CFrame : public CViewContainer, private PlatformWindowEvents {
 public:
  // Creates the child window inside `systemWindow` with the platform backend.
  CFrame(const CRect& size, void* systemWindow, AEffGUIEditor* editor);
  ~CFrame() override;

  // False when no window could be made inside the host's window.
  bool hasWindow() const { return window != nullptr; }
  PlatformWindow* getPlatformWindow() const { return window.get(); }
  AEffGUIEditor* getEditor() const { return editor; }
  void* getSystemWindow() const { return systemWindow; }

  // Idle: redraws every dirty control (nothing before the first paint).
  void idle();
  // Reads the window's pending events; does nothing while a control tracks the mouse.
  void handleEvents();
  // Handles at most one pending paint request.
  bool processOnePaint();

  int32_t onKeyDown(VstKeyCode& keyCode) override;
  int32_t onKeyUp(VstKeyCode& keyCode) override;
  // The frame's own wheel entry, from the window; a view's one stays reachable.
  using CViewContainer::onWheel;
  bool onWheel(const CPoint& where, float distance, int32_t buttons);
  void mouseDown(const CPoint& where, int32_t buttons);

  // Services for the controls.
  void beginEdit(int32_t tag);
  void endEdit(int32_t tag);
  void doIdleStuff();
  int32_t getKnobMode() const;
  MouseState pollMouse();
  MouseState queryMouse();
  void setFocusView(CView* view) { focusView = view; }
  CView* getFocusView() const { return focusView; }

  // Paints `area` from the background and the controls into the offscreen
  // image and shows it.
  void redrawRect(const CRect& area);
  const COffscreenContext& getOffscreen() const { return *offscreen; }
  bool isOpen() const { return painted; }

 private:
  // PlatformWindowEvents
  void onPaint(const CRect& area) override;
  void onMouseDown(const CPoint& where, int32_t buttons) override;
  void onMouseWheel(const CPoint& where, float distance, int32_t buttons) override;

  // Draws `area` into the offscreen image without showing it.
  void paintOffscreen(const CRect& area);
  bool moveFocus(bool backwards);

  AEffGUIEditor* editor;
  void* systemWindow;
  std::unique_ptr<PlatformWindow> window;
  std::unique_ptr<COffscreenContext> offscreen;
  CView* focusView = nullptr;
  bool painted = false;
  bool tracking = false;
};

}  // namespace VSTGUI
