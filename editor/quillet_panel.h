// The panel of Quillet K3, free of any plug-in format: eighteen controls over
// one picture, eleven bound to the parameters, six note keys and a note-mode
// switch that set the echo time from the host's tempo. It talks to its host
// only through PanelHost.
//
// Threads: parameterChanged may come from any thread; everything else runs
// on the host's user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/panel_layout.h"
#include "editor/panel_menu.h"
#include "editor/panel_shell.h"
#include "editor/scale/scale_source.h"
#include "gui/ccontrol.h"

namespace VSTGUI {
class CBitmap;
}  // namespace VSTGUI

namespace quillet::editor {

class ScaledBitmaps;

// The panel comes in sizes from 1 to 3 times 586 by 385 pixels. Which one is
// decided when the size is first asked for or the panel opens, by the first
// source that answers: QUILLET_UI_SCALE in the environment, the user's
// choice (the size menu, kept in the settings file), the host's factor
// (setHostScale), the desktop's, else 1. At every size the controls answer
// the same physical movement of the hand with the same change.
class QuilletPanel : public PanelShell,
                     public VSTGUI::CControlListener,
                     private PanelMenu::Listener {
 public:
  // Reads the panel's size from its background picture's header (the pictures
  // are decoded when the panel opens); never throws.
  explicit QuilletPanel(core::PanelHost& host);
  ~QuilletPanel() override;

  // The panel's size in pixels at scale(): 586 by 385 at 1 (0 by 0 without
  // its picture), round(586 s) by round(385 s) at s. Before open, what the
  // next open will give; while open, what it shows (or, during
  // PanelHost::requestResize, what it asks for).
  int32_t width() const;
  int32_t height() const;
  float scale() const;
  // Where the scale came from.
  ScaleSource scaleSource() const;

  // The host's factor (device pixels per panel pixel): 0, negative or not a
  // number when the host gives none. Any time: before open it sets the size
  // the next open gives; while open a changed size is asked for with
  // PanelHost::requestResize and shown if the host agrees.
  void setHostScale(float factor);
  float hostScale() const { return hostFactor; }

  // The user's choice, as the size menu makes it: a step from 1 to 3, or
  // none to follow the host and the desktop. Saved in the settings file;
  // applied at once when open (if the host agrees to the new size). False
  // when the file could not be written (the choice still holds for this
  // panel until it is destroyed).
  bool setUserScale(std::optional<float> choice);

  // Builds the frame and its controls inside the host's window `parent` (an
  // X11 window id or an HWND), showing the host's stored values; a second
  // open replaces the first. False when no window can be made there.
  bool open(void* parent);
  void close() override;

  // Any thread: only marks the parameter as changed. The next idle pass moves
  // its control to PanelHost::parameterValue.
  void parameterChanged(int32_t index);

  // The menu's keyboard key (Shift+F10, or the Menu key) opens the menu;
  // where the host takes taps, T taps; every other key goes to the control
  // with the keyboard focus.
  bool keyDown(VSTGUI::CKeyCode& key) override;
  static bool isMenuKey(const VSTGUI::CKeyCode& key);
  // Where the host takes taps, T (with or without Shift) taps the tempo.
  static bool isTapKey(const VSTGUI::CKeyCode& key);

  // Factory preset `preset` (core/factory_presets.h) set through the host:
  // each of the eleven values as a gesture of its own (begin, value, end),
  // so the host records it, can undo it, and automation follows. Open or
  // not; false for a number outside the list.
  bool loadFactoryPreset(int32_t preset);
  // Moves the marked controls, then redraws what changed.
  void idle() override;

  // The control bound to a parameter (tags 0 to 10) or a panel control (1001
  // to 1007); null while closed.
  VSTGUI::CControl* controlForTag(int32_t tag) const;
  // The panel's menu (tests); null until it first opens.
  PanelMenu* getMenu() const { return menu; }
  // The menu's "Panel size" rows, top to bottom: the steps, then
  // "Automatic (...)". Its rows come first in the menu's numbering.
  std::vector<std::string> scaleMenuRows();
  // The size row the menu marks: the panel's own size, that is the step it
  // shows when the user (or QUILLET_UI_SCALE) chose it, else the automatic
  // row (the size follows the host and the desktop). A choice the host has
  // not let the panel take yet is not marked.
  int32_t markedScaleMenuRow();
  // The "Presets" rows: the factory presets' names, in their order.
  std::vector<std::string> presetMenuRows() const;
  // The preset whose eleven values the host holds now; -1 for none.
  int32_t markedPresetMenuRow();

  // VSTGUI::CControlListener
  void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
  int32_t controlModifierClicked(VSTGUI::CDrawContext* context, VSTGUI::CControl* control,
                                 int32_t button) override;

  // VSTGUI::CFrameOwner: a right-click on the background, or a click on
  // the name plate, opens the menu; where the host takes taps, a click on
  // the name plate taps the tempo instead.
  void backgroundPressed(const VSTGUI::CPoint& where, int32_t buttons) override;
  // Where the host learns MIDI: a right-click on a control opens its MIDI
  // menu ("Learn MIDI", "Forget MIDI"); elsewhere the control takes it.
  bool viewPressed(VSTGUI::CView* view, const VSTGUI::CPoint& where, int32_t buttons) override;

  // The MIDI menu of a control (a parameter tag or kTagNamePlate), as a
  // right-click opens it; false where the host does not learn MIDI.
  bool showMidiMenu(int32_t tag, const VSTGUI::CPoint& where);

 private:
  using PanelBitmaps =
      VSTGUI::CBitmap * [quillet::editor::kLastBitmap - quillet::editor::kFirstBitmap + 1];
  // The pictures at `scale` (null entries when one is missing); may throw.
  void loadBitmaps(float scale, PanelBitmaps& bitmaps, std::shared_ptr<const ScaledBitmaps>& drawn);
  // Builds the frame and its controls into newFrame; may throw when memory runs out.
  void buildPanel(void* parent, float scale, PanelBitmaps& bitmaps, VSTGUI::CFrame*& newFrame);
  void addControls(VSTGUI::CFrame* frame, float scale, PanelBitmaps& bitmaps);
  void clearControls();
  // The scale from every source, with the desktop asked about `parent`.
  ScaleChoice resolveScale(void* parent) const;
  // The size the next open gives, worked out once until something changes.
  const ScaleChoice& expectedScale() const;
  int32_t widthAt(float s) const;
  int32_t heightAt(float s) const;
  // Open: shows the panel at `target` if the host takes the new size, now
  // or (inside a control's or the menu's mouse handling) at the next idle.
  void requestScale(float target);
  bool applyScale(float target);
  bool rebuildAt(float target);
  void showMenu(const VSTGUI::CPoint& where, bool fromKeyboard, int32_t midiTag = -1);
  quillet::artwork::MenuSection midiSection(int32_t tag);
  void menuPicked(int32_t section, int32_t row) override;
  void showStoredValues();
  // Stores the user's value and shows what the host kept of it.
  void edit(int32_t index, float value);
  void setDelayFromTempo(int32_t noteTag);

  // At scale 1, from the stored background picture.
  int32_t panelWidth = 0;
  int32_t panelHeight = 0;

  float hostFactor = 0.0f;  // 0: none
  // The user's choice made on this panel, if any: it holds even when the
  // settings file cannot be written.
  bool choiceMade = false;
  std::optional<float> choice;
  // The scale of the next open (known once asked for; forgotten when a
  // source changes or the panel closes), or of the open panel.
  mutable bool expectedKnown = false;
  mutable ScaleChoice expected;
  ScaleChoice shown;          // while open
  float asking = 0.0f;        // during requestResize: the size being asked for
  float pendingScale = 0.0f;  // to apply at the next idle; 0 for none
  void* parentWindow = nullptr;
  std::shared_ptr<const ScaledBitmaps> drawnPictures;  // while open at a scale other than 1
  PanelMenu* menu = nullptr;                           // owned by the frame
  // The sections the shown menu holds: the size and presets (unless it is a
  // control's MIDI menu), and the MIDI section of menuMidiTag (-1 for none).
  bool menuHasSizeAndPresets = true;
  int32_t menuMidiTag = -1;

  // One per row of quillet::editor::kControls, made from it; owned by the frame, null
  // while closed.
  VSTGUI::CControl* controls[quillet::editor::kControlCount] = {};

  // Bit i: parameter i was stored since the last idle pass. Lives as long as
  // the panel, so a store racing close() finds it.
  std::atomic<uint32_t> changedParams{0};
};

}  // namespace quillet::editor
