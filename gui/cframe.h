// The top-level view: owns the panel's child window, the controls, the
// offscreen image they draw into, and routes input to them.
#pragma once

#include <memory>

#include "gui/cdraw_context.h"
#include "gui/cview.h"
#include "platform/platform_window.h"

namespace VSTGUI {

class CFrameOwner;

class CFrame : public CViewContainer, private quillet::platform::PlatformWindowEvents {
 public:
  // Creates the child window inside `systemWindow` with the platform backend.
  // `owner` (not owned, may be null) hears of edit gestures and idles.
  CFrame(const CRect& size, void* systemWindow, CFrameOwner* owner);
  ~CFrame() override;

  // False when no window could be made inside the host's window.
  bool hasWindow() const { return window != nullptr; }
  quillet::platform::PlatformWindow* getPlatformWindow() const { return window.get(); }
  CFrameOwner* getOwner() const { return owner; }
  void* getSystemWindow() const { return systemWindow; }

  // Idle: redraws every dirty control (nothing before the first paint).
  void idle();
  // Reads the window's pending events; does nothing while a control tracks the mouse.
  void handleEvents();
  // Handles at most one pending paint request.
  bool processOnePaint();

  int32_t onKeyDown(CKeyCode& keyCode) override;
  int32_t onKeyUp(CKeyCode& keyCode) override;
  // The frame's own wheel entry, from the window; a view's one stays reachable.
  using CViewContainer::onWheel;
  bool onWheel(const CPoint& where, float distance, int32_t buttons);
  void mouseDown(const CPoint& where, int32_t buttons);
  // True while a control runs its mouse-tracking loop.
  bool isTracking() const { return tracking; }

  // Gives the frame and its window a new size; the offscreen image starts
  // blank. False, with nothing changed, when the window cannot follow.
  bool setFrameSize(int32_t width, int32_t height);
  // Paints the whole frame now, once the window has been painted at all.
  void redrawAll();

  // Services for the controls, passed on to the owner.
  void beginEdit(int32_t tag);
  void endEdit(int32_t tag);
  void doIdleStuff();
  // Circular without an owner.
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
  // quillet::platform::PlatformWindowEvents
  void onPaint(const quillet::platform::Rect& area) override;
  void onMouseDown(const quillet::platform::Point& where, int32_t buttons) override;
  void onMouseWheel(const quillet::platform::Point& where, float distance,
                    int32_t buttons) override;

  // Draws `area` into the offscreen image without showing it.
  void paintOffscreen(const CRect& area);
  // Copies `area` of the offscreen image to the window.
  void present(const CRect& area);
  bool moveFocus(bool backwards);

  CFrameOwner* owner;
  void* systemWindow;
  std::unique_ptr<quillet::platform::PlatformWindow> window;
  std::unique_ptr<COffscreenContext> offscreen;
  CView* focusView = nullptr;
  bool painted = false;
  bool tracking = false;
};

}  // namespace VSTGUI
