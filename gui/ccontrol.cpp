#include "gui/ccontrol.h"

#include "gui/cframe.h"

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* bitmap)
    : CView(size), listener(listener), tag(tag) {
  if (bitmap) setBackground(bitmap);
  dirty = false;
}

bool CControl::isDirty() const { return dirty || value != oldValue; }

void CControl::setDirty(bool state) {
  dirty = state;
  if (state) {
    // Any value that cannot be the current one.
    oldValue = value == -1.0f ? -2.0f : -1.0f;
  } else {
    oldValue = value;
  }
}

void CControl::beginEdit() {
  if (!frame) return;
  frame->setFocusView(this);
  frame->beginEdit(tag);
}

void CControl::endEdit() {
  if (frame) frame->endEdit(tag);
}

void CControl::bounceValue() {
  if (value > vmax) value = vmax;
  if (value < vmin) value = vmin;
}

void CControl::restoreDefault(CDrawContext* context) {
  beginEdit();
  value = defaultValue;
  notifyIfChanged(context);
  endEdit();
}

void CControl::notifyIfChanged(CDrawContext* context) {
  if (listener && isDirty()) listener->valueChanged(context, this);
}

}  // namespace VSTGUI
