// QuilletGUI: the panel of Quillet K3. Eighteen controls over one picture:
// eleven bound to the parameters, six note keys and a note-mode switch that
// set the echo time from the host's tempo.
#pragma once

#include <atomic>
#include <cstdint>

#include "editor/aeff_gui_editor.h"
#include "editor/panel_layout.h"
#include "gui/ccontrol.h"

namespace VSTGUI {
class CAnimKnob;
class CBitmap;
class CHorizontalSwitch;
class CKickButton;
class COnOffButton;
}  // namespace VSTGUI

class QuilletGUI : public AEffGUIEditor, public VSTGUI::CControlListener {
 public:
  explicit QuilletGUI(AudioEffect* effect);
  ~QuilletGUI() override;

  bool open(void* ptr) override;
  void close() override;
  // Any thread: only marks the parameter as changed. The next idle pass, on
  // the user-interface thread, moves its control to the stored value.
  void setParameter(VstInt32 index, float value) override;
  // Moves the marked controls, then redraws what changed.
  void idle() override;

  void valueChanged(VSTGUI::CDrawContext* context, VSTGUI::CControl* control) override;
  int32_t controlModifierClicked(VSTGUI::CDrawContext* context, VSTGUI::CControl* control,
                                 int32_t button) override;

  // The control bound to a parameter (tags 0 to 10) or a panel control (1001
  // to 1007); null while closed.
  VSTGUI::CControl* controlForTag(VstInt32 tag) const;

 private:
  using PanelBitmaps = VSTGUI::CBitmap * [panel::kLastBitmap - panel::kFirstBitmap + 1];
  // Builds the frame and its controls into newFrame; may throw when memory runs out.
  void buildPanel(void* ptr, PanelBitmaps& bitmaps, VSTGUI::CFrame*& newFrame);
  void clearControls();
  void showStoredValues();
  void setDelayFromTempo(VstInt32 noteTag);

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
  // the editor, so a store racing close() finds it.
  std::atomic<uint32_t> changedParams{0};
};
