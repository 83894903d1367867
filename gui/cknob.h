// Knobs: CKnob turns mouse, wheel and arrow keys into a value; CAnimKnob
// shows it as one frame of a vertical strip of pictures.
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

class CKnob : public CControl {
 public:
  CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background);

  void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override;
  bool onWheel(CDrawContext* context, const CPoint& where, float distance,
               int32_t buttons) override;
  int32_t onKeyDown(CKeyCode& keyCode) override;

  float getStartAngle() const { return startAngle; }
  float getRangeAngle() const { return rangeAngle; }
  float getZoomFactor() const { return zoomFactor; }

  // Pixels of linear drag for the whole range (times the zoom factor with
  // Shift held).
  static constexpr float kLinearRange = 400.0f;
  // A panel drawn larger sets a longer drag, so the same movement of the
  // hand gives the same change.
  void setLinearRange(float pixels) { linearRange = pixels; }
  float getLinearRange() const { return linearRange; }

 protected:
  // The value a point around the knob's centre stands for, 0..1 along the arc.
  float valueFromPoint(const CPoint& where) const;
  // The point of the indicator for `val`, at radius half the width, in the
  // control's own coordinates.
  CPoint indicatorPoint(float val) const;

  void trackLinear(CDrawContext* context, const CPoint& start, int32_t buttons);
  void trackCircular(CDrawContext* context, const CPoint& start, bool relative);
  // One wheel or key step as its own edit gesture, if it changes the knob.
  void step(CDrawContext* context, float delta);

  float radius;
  float startAngle = 3.9269907f;  // 5π/4: down-left, value 0
  float rangeAngle = -4.712389f;  // 3π/2 clockwise
  int32_t inset = 3;
  float zoomFactor = 1.5f;
  float linearRange = kLinearRange;
  CPoint offset;
};

class CAnimKnob : public CKnob {
 public:
  CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
            int32_t heightOfOneImage, CBitmap* background, const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  // Unmarked, the knob stays clean while its indicator keeps its pixel.
  bool isDirty() const override;

  int32_t getFrameIndex() const;
  // The frame a value shows is worked out as for frames of this height (the
  // strip's own unless set), so a strip drawn at another size shows the
  // same frame for every value.
  void setFrameIndexHeight(int32_t height) { indexHeight = height; }

 private:
  int32_t subPixmaps;
  int32_t heightOfOneImage;
  int32_t indexHeight;
  bool inverseBitmap = false;
  CPoint lastDrawnPoint{-1, -1};
};

}  // namespace VSTGUI
