#include "gui/cbuttons.h"

#include "gui/cbitmap.h"
#include "gui/cframe.h"

namespace VSTGUI {

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                                     int32_t subPixmaps, int32_t heightOfOneImage,
                                     int32_t iMaxPositions, CBitmap* background,
                                     const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      subPixmaps(subPixmaps),
      iMaxPositions(iMaxPositions),
      heightOfOneImage(heightOfOneImage) {}

int32_t CHorizontalSwitch::getFrameIndex() const {
  // The nearest position, whatever value the host set.
  const float span = vmax - vmin;
  const float normalised = span != 0.0f ? (value - vmin) / span : 0.0f;
  int32_t index = static_cast<int32_t>(normalised * (subPixmaps - 1) + 0.5f);
  if (index < 0) index = 0;
  if (index > subPixmaps - 1) index = subPixmaps - 1;
  return index;
}

void CHorizontalSwitch::draw(CDrawContext* context) {
  if (background)
    background->draw(context, size,
                     CPoint(offset.h, offset.v + getFrameIndex() * heightOfOneImage));
  setDirty(false);
}

void CHorizontalSwitch::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!(buttons & kLButton) || !frame) return;
  if (isCtrlClick(buttons)) {
    restoreDefault(context);
    return;
  }
  const double slice =
      (background ? background->getWidth() : size.width()) / static_cast<double>(iMaxPositions);
  beginEdit();
  MouseState now{where, buttons};
  do {
    if (slice > 0.0 && iMaxPositions > 1) {
      const auto position = static_cast<int32_t>((now.where.h - size.left) / slice);
      value = vmin + (vmax - vmin) * static_cast<float>(position) / (iMaxPositions - 1);
      bounceValue();
    }
    notifyIfChanged(context);
    frame->doIdleStuff();
    now = frame->pollMouse();
  } while (now.buttons == buttons);
  endEdit();
}

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                         int32_t heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      offset(offset),
      heightOfOneImage(heightOfOneImage) {}

void CKickButton::draw(CDrawContext* context) {
  if (background)
    background->draw(context, size,
                     CPoint(offset.h, offset.v + (value != vmin ? heightOfOneImage : 0)));
  setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!(buttons & kLButton) || !frame) return;
  beginEdit();
  if (buttons & kModifierKeys) {
    value = vmax;
    if (listener) listener->valueChanged(context, this);
  } else {
    MouseState now{where, buttons};
    do {
      value = size.pointInside(now.where) ? vmax : vmin;
      notifyIfChanged(context);
      frame->doIdleStuff();
      now = frame->pollMouse();
    } while ((now.buttons & (kMouseButtons | kModifierKeys)) == kLButton);
  }
  value = vmin;
  if (listener) listener->valueChanged(context, this);
  endEdit();
}

COnOffButton::COnOffButton(const CRect& size, CControlListener* listener, int32_t tag,
                           CBitmap* background, int32_t style)
    : CControl(size, listener, tag, background), style(style) {}

void COnOffButton::draw(CDrawContext* context) {
  if (background) {
    const int32_t frameHeight = size.height();
    background->draw(context, size, CPoint(0, value > 0.5f ? frameHeight : 0));
  }
  setDirty(false);
}

void COnOffButton::mouse(CDrawContext* context, CPoint&, int32_t buttons) {
  if (!(buttons & kLButton) || !frame) return;
  value = static_cast<int32_t>(value) != 0 ? vmin : vmax;
  // Style 0: the panel shows the new state before the listener is told.
  if (style == 0) frame->doIdleStuff();
  beginEdit();
  if (listener) listener->valueChanged(context, this);
  endEdit();
}

}  // namespace VSTGUI
