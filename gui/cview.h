// The view base: a rectangle of the frame that can draw itself and take
// mouse, wheel and key input.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/creference_counter.h"
#include "gui/geometry.h"
#include "gui/key_code.h"

namespace VSTGUI {

class CBitmap;
class CDrawContext;
class CFrame;

// Answers of the key handlers.
constexpr int32_t kKeyHandled = 1;
constexpr int32_t kKeyNotHandled = -1;

class CView : public CReferenceCounter {
 public:
  explicit CView(const CRect& size);
  ~CView() override;

  virtual void draw(CDrawContext* context);
  // A button press at `where`; `buttons` holds buttons and modifier keys.
  virtual void mouse(CDrawContext* context, CPoint& where, int32_t buttons);
  // True when the view used the wheel turn.
  virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance, int32_t buttons);
  virtual int32_t onKeyDown(CKeyCode& keyCode);
  virtual int32_t onKeyUp(CKeyCode& keyCode);

  virtual bool isDirty() const { return dirty; }
  virtual void setDirty(bool state = true) { dirty = state; }

  const CRect& getViewSize() const { return size; }
  void setViewSize(const CRect& rect) { size = rect; }
  CFrame* getFrame() const { return frame; }
  virtual void attached(CFrame* parent) { frame = parent; }

  // The view remembers the bitmap and forgets the one it held before.
  void setBackground(CBitmap* bitmap);
  CBitmap* getBackground() const { return background; }

  bool getMouseEnabled() const { return mouseEnabled; }
  void setMouseEnabled(bool state) { mouseEnabled = state; }
  bool getTransparency() const { return transparent; }
  void setTransparency(bool state) { transparent = state; }
  bool wantsFocus() const { return wantsFocusFlag; }
  void setWantsFocus(bool state) { wantsFocusFlag = state; }

 protected:
  CRect size;
  CFrame* frame = nullptr;
  CBitmap* background = nullptr;
  bool dirty = false;
  bool mouseEnabled = true;
  bool transparent = false;
  bool wantsFocusFlag = false;
};

// Owns child views and keeps them in adding order, which is also the
// drawing order: later views lie on top.
class CViewContainer : public CView {
 public:
  explicit CViewContainer(const CRect& size);
  ~CViewContainer() override;

  // The container owns the view from now on.
  void addView(CView* view);
  const std::vector<CView*>& getViews() const { return views; }
  // The topmost mouse-enabled view whose rectangle holds the point, or null.
  CView* getViewAt(const CPoint& where) const;

  // Forgets every view (deleting those nobody else holds).
  void removeAllViews();

 protected:
  std::vector<CView*> views;
};

}  // namespace VSTGUI
