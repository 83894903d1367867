// The panel's size menu: a small list drawn by the panel over itself, opened
// by a right-click on the background or a click on the name plate. While it
// shows, it takes every press: one on a row picks it, one anywhere else (or
// Escape) closes it, and no control sees either.
//
// Threads: the user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/cview.h"

namespace quillet {

class ScaleMenu : public VSTGUI::CView {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    // The user picked row `row`; the menu has closed already.
    virtual void scaleMenuPicked(int32_t row) = 0;
  };

  explicit ScaleMenu(Listener& listener);
  ~ScaleMenu() override;

  // Shows `rows`, row `marked` marked (-1: none), drawn at `scale`, with its
  // top-left corner at `where` or as near as the frame allows. Call once
  // the menu belongs to a frame. False when it cannot be drawn.
  bool show(const VSTGUI::CPoint& where, float scale, const std::vector<std::string>& rows,
            int32_t marked);
  void hide();
  bool isShown() const { return shown; }
  // The menu's rectangle in the frame (empty while hidden), and the row
  // under a point (-1 for none).
  const VSTGUI::CRect& box() const { return menuBox; }
  int32_t rowAt(const VSTGUI::CPoint& where) const;
  VSTGUI::CRect rowRect(int32_t row) const;

  void draw(VSTGUI::CDrawContext* context) override;
  void mouse(VSTGUI::CDrawContext* context, VSTGUI::CPoint& where, int32_t buttons) override;
  int32_t onKeyDown(VSTGUI::CKeyCode& keyCode) override;

 private:
  Listener& listener;
  VSTGUI::CBitmap* picture = nullptr;
  VSTGUI::CRect menuBox;
  int32_t rowCount = 0;
  int32_t rowsTop = 0, rowHeight = 0, rowLeft = 0, rowRight = 0;
  bool shown = false;
};

}  // namespace quillet
