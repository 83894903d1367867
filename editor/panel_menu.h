// The panel's own menu: a small picture drawn by the panel over itself, its
// sections side by side ("Panel size", "Presets"), opened by a right-click
// on the background, a click on the name plate, or the keyboard's menu key
// (Shift+F10, or the Menu key). While it shows, it takes every press and
// every key: a press on a row picks it, one anywhere else (or Escape) closes
// it, and no control sees either; the arrow keys move the keyboard's choice
// (Up and Down in a section, Left and Right between sections) and Return,
// Enter or Space picks it.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/artwork/panel_menu_picture.h"
#include "gui/cview.h"

namespace quillet::editor {

class PanelMenu : public VSTGUI::CView {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    // The user picked row `row` of section `section`; the menu has closed already.
    virtual void menuPicked(int32_t section, int32_t row) = 0;
  };

  explicit PanelMenu(Listener& listener);
  ~PanelMenu() override;

  // Shows `sections` drawn at `scale`, with its top-left corner at `where`
  // or as near as the frame allows; `highlighted` (a row in the menu's
  // numbering, -1 for none) is the keyboard's choice. Call once the menu
  // belongs to a frame. False when it cannot be drawn.
  bool show(const VSTGUI::CPoint& where, float scale,
            const std::vector<quillet::artwork::MenuSection>& sections, int32_t highlighted = -1);
  void hide();
  bool isShown() const { return shown; }
  // The menu's rectangle in the frame (empty while hidden); the row under a
  // point (-1 for none), rows numbered across the sections in their order.
  const VSTGUI::CRect& box() const { return menuBox; }
  int32_t rowAt(const VSTGUI::CPoint& where) const;
  VSTGUI::CRect rowRect(int32_t row) const;
  int32_t highlightedRow() const { return highlighted; }
  // What it shows (or showed last).
  const std::vector<quillet::artwork::MenuSection>& shownSections() const { return sections; }
  // Rows across all sections.
  int32_t layoutRows() const { return layout.rowCount(); }
  // The section and its row for a row of the menu; false outside it.
  bool sectionRowOf(int32_t row, int32_t* section, int32_t* sectionRow) const;

  void draw(VSTGUI::CDrawContext* context) override;
  void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint& where, int32_t buttons) override;
  int32_t onKeyDown(VSTGUI::CKeyCode& keyCode) override;

 private:
  bool drawPicture();
  void moveHighlight(int32_t row);
  void pick(int32_t row);

  Listener& listener;
  VSTGUI::CBitmap* picture = nullptr;
  VSTGUI::CRect menuBox;
  std::vector<quillet::artwork::MenuSection> sections;
  quillet::artwork::MenuLayout layout;
  float scale = 1.0f;
  int32_t highlighted = -1;
  bool shown = false;
};

}  // namespace quillet::editor
