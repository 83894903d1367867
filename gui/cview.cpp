#include "gui/cview.h"

#include "gui/cbitmap.h"

namespace VSTGUI {

CView::CView(const CRect& size) : size(size) {}

CView::~CView() {
  if (background) background->forget();
}

void CView::draw(CDrawContext* context) {
  if (background) background->draw(context, size);
  setDirty(false);
}

void CView::mouse(CDrawContext*, CPoint&, int32_t) {}

bool CView::onWheel(CDrawContext*, const CPoint&, float, int32_t) { return false; }

int32_t CView::onKeyDown(CKeyCode&) { return kKeyNotHandled; }

int32_t CView::onKeyUp(CKeyCode&) { return kKeyNotHandled; }

void CView::setBackground(CBitmap* bitmap) {
  if (bitmap) bitmap->remember();
  if (background) background->forget();
  background = bitmap;
  setDirty(true);
}

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() { removeAllViews(); }

void CViewContainer::addView(CView* view) {
  if (!view) return;
  // The container owns the view from here on, also when it cannot hold it.
  try {
    views.push_back(view);
  } catch (...) {
    view->forget();
    throw;
  }
  view->attached(frame);
}

CView* CViewContainer::getViewAt(const CPoint& where) const {
  for (auto it = views.rbegin(); it != views.rend(); ++it) {
    if ((*it)->getMouseEnabled() && (*it)->getViewSize().pointInside(where)) return *it;
  }
  return nullptr;
}

void CViewContainer::removeAllViews() {
  for (CView* view : views) view->forget();
  views.clear();
}

}  // namespace VSTGUI
