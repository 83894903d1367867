#include "gui/cknob.h"

#include <cmath>

#include "gui/cbitmap.h"
#include "gui/cframe.h"

namespace VSTGUI {

namespace {
constexpr float kPi = 3.14159265f;
}

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background), radius(size.width() / 2.0f) {
  wantsFocusFlag = true;
}

void CKnob::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!(buttons & kLButton) || !frame) return;
  if (isCtrlClick(buttons)) {
    restoreDefault(context);
    return;
  }
  const int32_t mode = frame->getKnobMode();
  const bool alt = (buttons & kAlt) != 0;
  const bool linear = (mode == kLinearMode) != alt;
  beginEdit();
  if (linear)
    trackLinear(context, where, buttons);
  else
    trackCircular(context, where, mode == kRelativCircularMode);
  endEdit();
}

void CKnob::trackLinear(CDrawContext* context, const CPoint& start, int32_t buttons) {
  CPoint first = start;
  float entryValue = value;
  int32_t heldKeys = buttons & kModifierKeys;
  float range = (buttons & kShift) ? linearRange * zoomFactor : linearRange;
  for (;;) {
    const MouseState now = frame->pollMouse();
    if (!(now.buttons & kLButton)) break;
    if ((now.buttons & kModifierKeys) != heldKeys) {
      // Continue from where the knob is, at the new speed, without a jump.
      heldKeys = now.buttons & kModifierKeys;
      range = (now.buttons & kShift) ? linearRange * zoomFactor : linearRange;
      entryValue = value;
      first = now.where;
    }
    const float diff = static_cast<float>((first.v - now.where.v) + (now.where.h - first.h));
    value = entryValue + diff / range;
    bounceValue();
    notifyIfChanged(context);
    frame->doIdleStuff();
  }
}

void CKnob::trackCircular(CDrawContext* context, const CPoint& start, bool relative) {
  const float startValue = value;
  const float pressValue = valueFromPoint(start);
  if (!relative) {
    value = pressValue;
    bounceValue();
    notifyIfChanged(context);
  }
  for (;;) {
    const MouseState now = frame->pollMouse();
    if (!(now.buttons & kLButton)) break;
    float next = valueFromPoint(now.where);
    if (relative) next = startValue + (next - pressValue);
    // Crossing the gap at the bottom would jump: stay at the end we came from.
    if (std::fabs(next - value) > 0.5f * (vmax - vmin)) next = value < 0.5f ? vmin : vmax;
    value = next;
    bounceValue();
    notifyIfChanged(context);
    frame->doIdleStuff();
  }
}

float CKnob::valueFromPoint(const CPoint& where) const {
  const float dx = where.h - (size.left + radius);
  const float dy = (size.top + radius) - where.v;
  const float alpha = atan2f(dy, dx);
  // Clockwise distance from the start of the arc, 0..2π.
  float turned = startAngle - alpha;
  while (turned < 0.0f) turned += 2.0f * kPi;
  while (turned >= 2.0f * kPi) turned -= 2.0f * kPi;
  const float arc = -rangeAngle;
  float v = turned / arc;
  if (v > 1.0f) v = turned - arc < (2.0f * kPi - arc) / 2.0f ? 1.0f : 0.0f;
  return vmin + v * (vmax - vmin);
}

CPoint CKnob::indicatorPoint(float val) const {
  const float span = vmax - vmin;
  const float normalised = span != 0.0f ? (val - vmin) / span : 0.0f;
  const float alpha = startAngle + normalised * rangeAngle;
  return CPoint(static_cast<int32_t>(radius + cosf(alpha) * radius),
                static_cast<int32_t>(radius - sinf(alpha) * radius));
}

bool CKnob::onWheel(CDrawContext* context, const CPoint&, float distance, int32_t buttons) {
  if (!mouseEnabled) return false;
  float delta = distance * wheelInc;
  if (buttons & kShift) delta *= 0.1f;
  step(context, delta);
  return true;
}

int32_t CKnob::onKeyDown(CKeyCode& keyCode) {
  float delta;
  switch (keyCode.virt) {
    case VKEY_UP:
    case VKEY_RIGHT:
      delta = wheelInc;
      break;
    case VKEY_LEFT:
    case VKEY_DOWN:
      delta = -wheelInc;
      break;
    default:
      return kKeyNotHandled;
  }
  if (keyCode.modifier & MODIFIER_SHIFT) delta *= 0.1f;
  step(nullptr, delta);
  return kKeyHandled;
}

void CKnob::step(CDrawContext* context, float delta) {
  value += delta;
  bounceValue();
  if (!isDirty()) return;
  beginEdit();
  if (listener) listener->valueChanged(context, this);
  endEdit();
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                     int32_t heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage),
      indexHeight(heightOfOneImage) {
  inset = 0;
  this->offset = offset;
}

int32_t CAnimKnob::getFrameIndex() const {
  if (subPixmaps < 1 || indexHeight < 1) return 0;
  float normalised = vmax != vmin ? (value - vmin) / (vmax - vmin) : 0.0f;
  if (inverseBitmap) normalised = 1.0f - normalised;
  if (!(normalised >= 0.0f)) normalised = 0.0f;
  if (normalised > 1.0f) normalised = 1.0f;
  int32_t y = static_cast<int32_t>(normalised * static_cast<float>(indexHeight) *
                                   static_cast<float>(subPixmaps - 1));
  return y / indexHeight;
}

void CAnimKnob::draw(CDrawContext* context) {
  if (background)
    background->draw(context, size,
                     CPoint(offset.h, offset.v + getFrameIndex() * heightOfOneImage));
  lastDrawnPoint = indicatorPoint(value);
  setDirty(false);
}

bool CAnimKnob::isDirty() const {
  if (dirty) return true;
  if (value == oldValue) return false;
  return indicatorPoint(value) != lastDrawnPoint;
}

}  // namespace VSTGUI
