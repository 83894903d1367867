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

#include "editor/panel_layout.h"
#include "editor/panel_shell.h"
#include "gui/ccontrol.h"

namespace VSTGUI {
class CAnimKnob;
class CBitmap;
class CHorizontalSwitch;
class CKickButton;
class COnOffButton;
}  // namespace VSTGUI

namespace quillet {

class QuilletPanel : public PanelShell, public VSTGUI::CControlListener {
 public:
  // Reads the panel's size from its background picture; never throws.
  explicit QuilletPanel(PanelHost& host);
  ~QuilletPanel() override;

  // The panel's size in pixels (586 by 385; 0 by 0 without its picture).
  int32_t width() const { return panelWidth; }
  int32_t height() const { return panelHeight; }

  // Builds the frame and its controls inside the host's window `parent` (an
  // X11 window id or an HWND), showing the host's stored values; a second
  // open replaces the first. False when no window can be made there.
  bool open(void* parent);
  void close() override;

  // Any thread: only marks the parameter as changed. The next idle pass moves
  // its control to PanelHost::parameterValue.
  void parameterChanged(int32_t index);
  // Moves the marked controls, then redraws what changed.
  void idle() override;

  // The control bound to a parameter (tags 0 to 10) or a panel control (1001
  // to 1007); null while closed.
  VSTGUI::CControl* controlForTag(int32_t tag) const;

  // VSTGUI::CControlListener
  void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
  int32_t controlModifierClicked(VSTGUI::CDrawContext* context, VSTGUI::CControl* control,
                                 int32_t button) override;

 private:
  using PanelBitmaps = VSTGUI::CBitmap * [panel::kLastBitmap - panel::kFirstBitmap + 1];
  // Builds the frame and its controls into newFrame; may throw when memory runs out.
  void buildPanel(void* parent, PanelBitmaps& bitmaps, VSTGUI::CFrame*& newFrame);
  void clearControls();
  void showStoredValues();
  // Stores the user's value and shows what the host kept of it.
  void edit(int32_t index, float value);
  void setDelayFromTempo(int32_t noteTag);

  int32_t panelWidth = 0;
  int32_t panelHeight = 0;

  VSTGUI::CAnimKnob* delayKnob = nullptr;
  VSTGUI::CAnimKnob* repeatKnob = nullptr;
  VSTGUI::CAnimKnob* levelKnob = nullptr;
  VSTGUI::CAnimKnob* dryKnob = nullptr;
  VSTGUI::CAnimKnob* panKnob = nullptr;
  VSTGUI::CAnimKnob* xFeedKnob = nullptr;
  VSTGUI::CHorizontalSwitch* rangeSwitch = nullptr;
  VSTGUI::CHorizontalSwitch* noteModeSwitch = nullptr;
  VSTGUI::CKickButton* noteButtons[6] = {};
  VSTGUI::COnOffButton* muteButton = nullptr;
  VSTGUI::COnOffButton* monoOutButton = nullptr;
  VSTGUI::COnOffButton* knobDustButton = nullptr;
  VSTGUI::CHorizontalSwitch* pingPongSwitch = nullptr;

  // Bit i: parameter i was stored since the last idle pass. Lives as long as
  // the panel, so a store racing close() finds it.
  std::atomic<uint32_t> changedParams{0};
};

}  // namespace quillet
