// What a frame needs from whoever owns it: the edit gestures of its
// controls, idle work inside their mouse-tracking loops, and the knob mode.
// The owner decides what each means for its host.
#pragma once

#include <cstdint>

#include "gui/geometry.h"

namespace VSTGUI {

class CView;

class CFrameOwner {
 public:
  virtual ~CFrameOwner() = default;
  // A control with this tag starts or ends an edit gesture.
  virtual void beginEdit(int32_t tag) = 0;
  virtual void endEdit(int32_t tag) = 0;
  // Called on every turn of a control's mouse-tracking loop.
  virtual void doIdleStuff() = 0;
  // A CKnobMode: how knobs follow a drag.
  virtual int32_t getKnobMode() const = 0;
  // A press that reached no control (after the keyboard focus was cleared).
  virtual void backgroundPressed(const CPoint& /*where*/, int32_t /*buttons*/) {}
  // A press on `view`, before the view sees it: true when the owner took it
  // (the view then never does).
  virtual bool viewPressed(CView* /*view*/, const CPoint& /*where*/, int32_t /*buttons*/) {
    return false;
  }
};

}  // namespace VSTGUI
