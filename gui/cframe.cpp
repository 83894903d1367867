#include "gui/cframe.h"

#include <vector>

#include "gui/cbitmap.h"
#include "gui/ccontrol.h"
#include "gui/cframe_owner.h"

namespace VSTGUI {

namespace {

CRect fromWindow(const quillet::platform::Rect& r) {
  return CRect(r.left, r.top, r.right, r.bottom);
}
CPoint fromWindow(const quillet::platform::Point& p) { return CPoint(p.x, p.y); }
MouseState fromWindow(const quillet::platform::MouseState& m) {
  return MouseState{fromWindow(m.where), m.buttons};
}

}  // namespace

CFrame::CFrame(const CRect& size, void* systemWindow, CFrameOwner* owner)
    : CViewContainer(size),
      owner(owner),
      systemWindow(systemWindow),
      offscreen(new COffscreenContext(size.width(), size.height())) {
  frame = this;
  if (quillet::platform::PlatformWindowFactory factory = quillet::platform::platformWindowFactory())
    window = factory(systemWindow, size.width(), size.height());
}

CFrame::~CFrame() {
  removeAllViews();
  window.reset();
}

void CFrame::handleEvents() {
  if (window && !tracking) window->processEvents(*this);
}

bool CFrame::processOnePaint() { return window && window->processOnePaint(*this); }

void CFrame::idle() {
  if (!painted) return;
  // Collect first: repainting one control also draws the part of an
  // overlapping one inside it, which marks that one clean although the rest
  // of it still shows the old value.
  std::vector<CView*> dirtyViews;
  for (CView* view : views)
    if (view->isDirty()) dirtyViews.push_back(view);
  CRect changed;
  for (CView* view : dirtyViews) {
    paintOffscreen(view->getViewSize());
    changed = changed.unite(view->getViewSize());
  }
  if (!changed.isEmpty()) present(changed.intersect(size));
}

void CFrame::present(const CRect& area) {
  if (!window || area.isEmpty()) return;
  window->present(quillet::platform::PixelView{offscreen->getPixels(), offscreen->getWidth(),
                                               offscreen->getHeight(), offscreen->getWidth()},
                  quillet::platform::Rect(area.left, area.top, area.right, area.bottom));
}

void CFrame::paintOffscreen(const CRect& area) {
  const CRect clip = area.intersect(size);
  if (clip.isEmpty() || !offscreen->getPixels()) return;
  offscreen->setClipRect(clip);
  if (background) background->draw(offscreen.get(), size);
  for (CView* view : views) {
    if (view->getViewSize().overlaps(clip)) view->draw(offscreen.get());
  }
  offscreen->resetClipRect();
}

void CFrame::redrawRect(const CRect& area) {
  paintOffscreen(area);
  present(area.intersect(size));
}

bool CFrame::setFrameSize(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return false;
  if (width == size.width() && height == size.height()) return true;
  std::unique_ptr<COffscreenContext> image(new COffscreenContext(width, height));
  if (window && !window->resize(width, height)) return false;
  offscreen = std::move(image);
  size = CRect(size.left, size.top, size.left + width, size.top + height);
  return true;
}

void CFrame::redrawAll() {
  if (painted) redrawRect(size);
}

void CFrame::onPaint(const quillet::platform::Rect& area) {
  painted = true;
  redrawRect(fromWindow(area));
}

void CFrame::onMouseDown(const quillet::platform::Point& where, int32_t buttons) {
  mouseDown(fromWindow(where), buttons);
}

void CFrame::onMouseWheel(const quillet::platform::Point& where, float distance, int32_t buttons) {
  onWheel(fromWindow(where), distance, buttons);
}

void CFrame::mouseDown(const CPoint& where, int32_t buttons) {
  focusView = nullptr;
  if (tracking) return;
  CView* view = getViewAt(where);
  if (!view) {
    if (owner) owner->backgroundPressed(where, buttons);
    return;
  }
  if (owner && owner->viewPressed(view, where, buttons)) return;
  CPoint point = where;
  tracking = true;
  view->mouse(offscreen.get(), point, buttons);
  tracking = false;
}

bool CFrame::onWheel(const CPoint& where, float distance, int32_t buttons) {
  CView* view = getViewAt(where);
  return view && view->onWheel(offscreen.get(), where, distance, buttons);
}

int32_t CFrame::onKeyDown(CKeyCode& keyCode) {
  if (focusView) {
    const int32_t result = focusView->onKeyDown(keyCode);
    if (result == kKeyHandled) return result;
  }
  if (keyCode.virt == VKEY_TAB)
    return moveFocus((keyCode.modifier & MODIFIER_SHIFT) != 0) ? kKeyHandled : kKeyNotHandled;
  return kKeyNotHandled;
}

int32_t CFrame::onKeyUp(CKeyCode& keyCode) {
  return focusView ? focusView->onKeyUp(keyCode) : kKeyNotHandled;
}

bool CFrame::moveFocus(bool backwards) {
  const int count = static_cast<int>(views.size());
  int index = -1;
  for (int i = 0; i < count; ++i)
    if (views[i] == focusView) index = i;
  if (index < 0) index = backwards ? count : -1;
  for (int i = index + (backwards ? -1 : 1); i >= 0 && i < count; i += backwards ? -1 : 1) {
    if (views[i]->wantsFocus()) {
      focusView = views[i];
      return true;
    }
  }
  focusView = nullptr;
  return false;
}

void CFrame::beginEdit(int32_t tag) {
  if (owner) owner->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag) {
  if (owner) owner->endEdit(tag);
}

void CFrame::doIdleStuff() {
  if (owner) owner->doIdleStuff();
}

int32_t CFrame::getKnobMode() const { return owner ? owner->getKnobMode() : kCircularMode; }

MouseState CFrame::queryMouse() {
  if (window) return fromWindow(window->queryMouse());
  return MouseState{CPoint(), 0};
}

MouseState CFrame::pollMouse() {
  if (window) return fromWindow(window->pollMouse());
  return MouseState{CPoint(), 0};
}

}  // namespace VSTGUI
