// The common state of every control: value, range, default, wheel step, tag
// and the listener that hears about changes made by the user.
#pragma once

#include <cstdint>

#include "gui/cview.h"

namespace VSTGUI {

class CControl;

class CControlListener {
 public:
  virtual ~CControlListener() = default;
  virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
  virtual int32_t controlModifierClicked(CDrawContext* /*context*/, CControl* /*control*/,
                                         int32_t /*button*/) {
    return 0;
  }
};

class CControl : public CView {
 public:
  CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* bitmap);

  // Stores only: nothing is drawn and nobody is told.
  virtual void setValue(float val) { value = val; }
  virtual float getValue() const { return value; }
  void setMin(float val) { vmin = val; }
  float getMin() const { return vmin; }
  void setMax(float val) { vmax = val; }
  float getMax() const { return vmax; }
  void setDefaultValue(float val) { defaultValue = val; }
  float getDefaultValue() const { return defaultValue; }
  void setWheelInc(float val) { wheelInc = val; }
  float getWheelInc() const { return wheelInc; }
  int32_t getTag() const { return tag; }
  CControlListener* getListener() const { return listener; }

  // Dirty while the value differs from the one last drawn or the mark is set.
  bool isDirty() const override;
  void setDirty(bool state = true) override;

  // An edit gesture: the control takes the keyboard focus and the frame's owner
  // tells the host, with the control's tag.
  void beginEdit();
  void endEdit();

  void bounceValue();
  int32_t getDoubleClickTime() const { return doubleClickTime; }

 protected:
  // A press of the left button with Ctrl and nothing else.
  static bool isCtrlClick(int32_t buttons) {
    return (buttons & (kMouseButtons | kModifierKeys)) == (kLButton | kControl);
  }
  // Tells the listener when the control counts as changed.
  void notifyIfChanged(CDrawContext* context);
  // Ctrl-click: the default value as one edit gesture.
  void restoreDefault(CDrawContext* context);

  CControlListener* listener;
  int32_t tag;
  float oldValue = 1.0f;  // the value last drawn
  float defaultValue = 0.5f;
  float value = 0.0f;
  float vmin = 0.0f;
  float vmax = 1.0f;
  float wheelInc = 0.1f;
  int32_t doubleClickTime = 250;
};

}  // namespace VSTGUI
