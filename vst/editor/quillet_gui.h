// QuilletGUI: the VST 2.4 editor of Quillet K3. It hosts the format-free
// panel and is that panel's host: values, gestures, tempo and idle requests
// go to the effect and through it to the VST 2.4 host.
#pragma once

#include <cstdint>

#include "core/panel_host.h"
#include "editor/quillet_panel.h"
#include "vst/editor/aeff_gui_editor.h"

class QuilletGUI : public AEffGUIEditor, public quillet::core::PanelHost {
 public:
  explicit QuilletGUI(AudioEffect* effect);
  ~QuilletGUI() override;

  // The panel's size at the scale it shows or will open at, fresh each time.
  bool getRect(ERect** rect) override;
  bool open(void* ptr) override;
  void close() override;
  // Any thread: only marks the parameter as changed. The next idle pass, on
  // the user-interface thread, moves its control to the stored value.
  void setParameter(VstInt32 index, float value) override;

  // The control bound to a parameter (tags 0 to 10) or a panel control (1001
  // to 1007); null while closed.
  VSTGUI::CControl* controlForTag(VstInt32 tag) const { return panel.controlForTag(tag); }

  // quillet::core::PanelHost, over the effect.
  float parameterValue(int32_t index) override;
  // The raw tag: a note key's gesture reaches the host as 1001..1006.
  void beginGesture(int32_t tag) override { beginEdit(tag); }
  void endGesture(int32_t tag) override { endEdit(tag); }
  // Stored through the effect, which tells the host (audioMasterAutomate).
  void performEdit(int32_t index, float value) override;
  // The host's tempo from audioMasterGetTime; 0 without one.
  double hostTempo() override;
  // audioMasterIdle.
  void idleDuringGesture() override;
  // audioMasterSizeWindow; the host may ask effEditGetRect meanwhile.
  bool requestResize(int32_t width, int32_t height) override;

  // The host's content scale factor.
  void setHostScale(float factor) { panel.setHostScale(factor); }
  quillet::editor::QuilletPanel& getPanel() { return panel; }

 private:
  quillet::editor::QuilletPanel panel;
};
