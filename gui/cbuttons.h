// The switch and the two buttons of the panel; each shows one frame of a
// vertical strip of pictures.
#pragma once

#include "gui/ccontrol.h"

namespace VSTGUI {

// A row of positions chosen by where the mouse is across the picture.
class CHorizontalSwitch : public CControl {
 public:
  CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                    int32_t heightOfOneImage, int32_t iMaxPositions, CBitmap* background,
                    const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override;
  int32_t getFrameIndex() const;

 private:
  CPoint offset;
  int32_t subPixmaps;
  int32_t iMaxPositions;
  int32_t heightOfOneImage;
};

// Lit while held; sends 1 on press (and while the mouse is inside) and 0 on release.
class CKickButton : public CControl {
 public:
  CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t heightOfOneImage,
              CBitmap* background, const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override;

 private:
  CPoint offset;
  int32_t heightOfOneImage;
};

// Toggles between 0 and 1 on each press.
class COnOffButton : public CControl {
 public:
  COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
               int32_t style = 0);

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons) override;

 private:
  int32_t style;
};

}  // namespace VSTGUI
