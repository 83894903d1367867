#include "editor/scale_menu.h"

#include <algorithm>
#include <memory>
#include <new>

#include "editor/artwork/scale_menu_picture.h"
#include "gui/cbitmap.h"
#include "gui/cframe.h"

using namespace VSTGUI;

namespace quillet {

ScaleMenu::ScaleMenu(Listener& listener) : CView(CRect()), listener(listener) {
  mouseEnabled = false;
}

ScaleMenu::~ScaleMenu() {
  if (picture) picture->forget();
}

bool ScaleMenu::show(const CPoint& where, float scale, const std::vector<std::string>& rows,
                     int32_t marked) {
  if (!frame) return false;
  hide();
  artwork::Pixels pixels;
  if (!artwork::drawScaleMenuPixels(scale, rows, marked, &pixels)) return false;
  const auto premultiplied = std::make_shared<const std::vector<uint32_t>>(
      premultipliedPixels(pixels.rgba.data(), pixels.width, pixels.height));
  picture = new CBitmap(pixels.width, pixels.height, premultiplied);
  const artwork::ScaleMenuLayout layout =
      artwork::scaleMenuLayout(scale, static_cast<int32_t>(rows.size()));
  rowCount = static_cast<int32_t>(rows.size());
  rowsTop = layout.rowsTop;
  rowHeight = layout.rowHeight;
  rowLeft = layout.rowLeft;
  rowRight = layout.rowRight;

  // Inside the frame: moved up or left where it would stick out.
  const CRect all = frame->getViewSize();
  const int32_t left = std::max(all.left, std::min(where.h, all.right - pixels.width));
  const int32_t top = std::max(all.top, std::min(where.v, all.bottom - pixels.height));
  menuBox = CRect::fromSize(left, top, pixels.width, pixels.height);
  // The whole frame: a press anywhere comes here while the menu shows.
  size = all;
  mouseEnabled = true;
  shown = true;
  frame->setFocusView(this);
  frame->redrawRect(menuBox);
  return true;
}

void ScaleMenu::hide() {
  if (picture) picture->forget();
  picture = nullptr;
  if (!shown) return;
  shown = false;
  mouseEnabled = false;
  size = CRect();
  const CRect was = menuBox;
  menuBox = CRect();
  if (frame) {
    if (frame->getFocusView() == this) frame->setFocusView(nullptr);
    frame->redrawRect(was);
  }
}

CRect ScaleMenu::rowRect(int32_t row) const {
  if (!shown || row < 0 || row >= rowCount) return CRect();
  return CRect::fromSize(menuBox.left + rowLeft, menuBox.top + rowsTop + row * rowHeight,
                         rowRight - rowLeft, rowHeight);
}

int32_t ScaleMenu::rowAt(const CPoint& where) const {
  for (int32_t row = 0; row < rowCount; ++row) {
    const CRect r = rowRect(row);
    if (where.h >= r.left && where.h < r.right && where.v >= r.top && where.v < r.bottom)
      return row;
  }
  return -1;
}

void ScaleMenu::draw(CDrawContext* context) {
  if (shown && picture) picture->draw(context, menuBox);
  setDirty(false);
}

void ScaleMenu::mouse(CDrawContext*, CPoint& where, int32_t buttons) {
  const bool left = (buttons & kMouseButtons) == kLButton;
  const int32_t row = left ? rowAt(where) : -1;
  // A left press on the title or the frame of the menu leaves it open.
  if (left && row < 0 && menuBox.pointInside(where)) return;
  hide();
  if (row >= 0) listener.scaleMenuPicked(row);
}

int32_t ScaleMenu::onKeyDown(CKeyCode& keyCode) {
  if (!shown || keyCode.virt != VKEY_ESCAPE) return kKeyNotHandled;
  hide();
  return kKeyHandled;
}

}  // namespace quillet
