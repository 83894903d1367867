#include "editor/panel_menu.h"

#include <algorithm>
#include <memory>
#include <new>

#include "gui/cbitmap.h"
#include "gui/cframe.h"

using namespace VSTGUI;

namespace quillet::editor {

PanelMenu::PanelMenu(Listener& listener) : CView(CRect()), listener(listener) {
  mouseEnabled = false;
}

PanelMenu::~PanelMenu() {
  if (picture) picture->forget();
}

bool PanelMenu::drawPicture() {
  quillet::artwork::Pixels pixels;
  if (!quillet::artwork::drawMenuPixels(scale, sections, highlighted, &pixels)) return false;
  const auto premultiplied = std::make_shared<const std::vector<uint32_t>>(
      premultipliedPixels(pixels.rgba.data(), pixels.width, pixels.height));
  CBitmap* drawn = new CBitmap(pixels.width, pixels.height, premultiplied);
  if (picture) picture->forget();
  picture = drawn;
  return true;
}

bool PanelMenu::show(const CPoint& where, float menuScale,
                     const std::vector<quillet::artwork::MenuSection>& menuSections,
                     int32_t highlight) {
  if (!frame) return false;
  hide();
  scale = menuScale;
  sections = menuSections;
  layout = quillet::artwork::menuLayout(scale, sections);
  highlighted = highlight >= 0 && highlight < layout.rowCount() ? highlight : -1;
  if (!drawPicture()) return false;

  // Inside the frame: moved up or left where it would stick out.
  const CRect all = frame->getViewSize();
  const int32_t left = std::max(all.left, std::min(where.h, all.right - layout.width));
  const int32_t top = std::max(all.top, std::min(where.v, all.bottom - layout.height));
  menuBox = CRect::fromSize(left, top, layout.width, layout.height);
  // The whole frame: a press anywhere comes here while the menu shows.
  size = all;
  mouseEnabled = true;
  shown = true;
  frame->setFocusView(this);
  frame->redrawRect(menuBox);
  return true;
}

void PanelMenu::hide() {
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

CRect PanelMenu::rowRect(int32_t row) const {
  const int32_t c = shown ? layout.columnOf(row) : -1;
  if (c < 0) return CRect();
  const quillet::artwork::MenuLayout::Column& col = layout.columns[c];
  return CRect::fromSize(menuBox.left + col.rowLeft,
                         menuBox.top + layout.rowsTop + (row - col.firstRow) * layout.rowHeight,
                         col.rowRight - col.rowLeft, layout.rowHeight);
}

int32_t PanelMenu::rowAt(const CPoint& where) const {
  for (int32_t row = 0; row < layout.rowCount(); ++row) {
    const CRect r = rowRect(row);
    if (where.h >= r.left && where.h < r.right && where.v >= r.top && where.v < r.bottom)
      return row;
  }
  return -1;
}

bool PanelMenu::sectionRowOf(int32_t row, int32_t* section, int32_t* sectionRow) const {
  const int32_t c = layout.columnOf(row);
  if (c < 0) return false;
  *section = c;
  *sectionRow = row - layout.columns[c].firstRow;
  return true;
}

void PanelMenu::draw(CDrawContext* context) {
  if (shown && picture) picture->draw(context, menuBox);
  setDirty(false);
}

void PanelMenu::pick(int32_t row) {
  int32_t section = 0, sectionRow = 0;
  const bool found = sectionRowOf(row, &section, &sectionRow);
  hide();
  if (found) listener.menuPicked(section, sectionRow);
}

void PanelMenu::mouse(CDrawContext*, CPoint& where, int32_t buttons) {
  const bool left = (buttons & kMouseButtons) == kLButton;
  const int32_t row = left ? rowAt(where) : -1;
  // A left press on a title or the frame of the menu leaves it open.
  if (left && row < 0 && menuBox.pointInside(where)) return;
  if (row >= 0) {
    pick(row);
    return;
  }
  hide();
}

void PanelMenu::moveHighlight(int32_t row) {
  if (row == highlighted || row < 0 || row >= layout.rowCount()) return;
  const int32_t before = highlighted;
  highlighted = row;
  if (!drawPicture()) {
    highlighted = before;
    return;
  }
  if (frame) frame->redrawRect(menuBox);
}

int32_t PanelMenu::onKeyDown(CKeyCode& keyCode) {
  if (!shown) return kKeyNotHandled;
  if (layout.columns.empty()) return kKeyHandled;
  if (keyCode.character == ' ' || keyCode.character == '\r') keyCode.virt = VKEY_RETURN;
  const int32_t columns = static_cast<int32_t>(layout.columns.size());
  int32_t c = layout.columnOf(highlighted);
  // Nothing chosen yet: the arrows start on the marked row of the last
  // section (the presets), else its first row.
  if (c < 0 && (keyCode.virt == VKEY_UP || keyCode.virt == VKEY_DOWN || keyCode.virt == VKEY_LEFT ||
                keyCode.virt == VKEY_RIGHT)) {
    const quillet::artwork::MenuLayout::Column& last = layout.columns.back();
    const int32_t marked = sections.back().marked;
    moveHighlight(last.firstRow + (marked >= 0 && marked < last.rowCount ? marked : 0));
    return kKeyHandled;
  }
  switch (keyCode.virt) {
    case VKEY_ESCAPE:
      hide();
      return kKeyHandled;
    case VKEY_UP:
    case VKEY_DOWN: {
      const quillet::artwork::MenuLayout::Column& col = layout.columns[c];
      const int32_t step = keyCode.virt == VKEY_UP ? col.rowCount - 1 : 1;
      moveHighlight(col.firstRow + (highlighted - col.firstRow + step) % col.rowCount);
      return kKeyHandled;
    }
    case VKEY_LEFT:
    case VKEY_RIGHT: {
      const int32_t to = (c + (keyCode.virt == VKEY_LEFT ? columns - 1 : 1)) % columns;
      const quillet::artwork::MenuLayout::Column& from = layout.columns[c];
      const quillet::artwork::MenuLayout::Column& col = layout.columns[to];
      if (col.rowCount > 0)
        moveHighlight(col.firstRow + std::min(highlighted - from.firstRow, col.rowCount - 1));
      return kKeyHandled;
    }
    case VKEY_RETURN:
    case VKEY_ENTER:
    case VKEY_SPACE:
      if (highlighted >= 0) pick(highlighted);
      return kKeyHandled;
    default:
      // The menu holds the keyboard while it shows.
      return kKeyHandled;
  }
}

}  // namespace quillet::editor
