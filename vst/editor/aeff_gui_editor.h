// AEffGUIEditor: adapts the editor interface the dispatchers talk to to a
// format-free panel, which owns the toolkit's frame. The effect reaches a
// concrete panel only through the editor interface.
#pragma once

#include <cstdint>

#include "vst/aeff_editor.h"

namespace VSTGUI {
class CFrame;
}
namespace quillet::editor {
class PanelShell;
}

class AEffGUIEditor : public AEffEditor {
 public:
  explicit AEffGUIEditor(AudioEffect* effect);
  ~AEffGUIEditor() override;

  bool getRect(ERect** rect) override;
  void idle() override;
  bool onKeyDown(VstKeyCode& keyCode) override;
  bool onKeyUp(VstKeyCode& keyCode) override;
  bool onWheel(float distance) override;
  bool setKnobMode(VstInt32 val) override;

  void setParameter(VstInt32 /*index*/, float /*value*/) override {}
  // Edit gestures reach the host with the control's tag as it is.
  virtual void beginEdit(VstInt32 index);
  virtual void endEdit(VstInt32 index);
  virtual void doIdleStuff();

  // Process-wide knob mode: 0 circular, 1 relative circular, 2 linear. The
  // one every panel in the process uses.
  static VstInt32& knobMode;

  // The panel's frame; null while closed.
  VSTGUI::CFrame* getFrame() const;

 protected:
  // The concrete editor's panel; set once by its constructor, outlives every
  // call the host makes.
  void setPanel(quillet::editor::PanelShell* panel) { shell = panel; }

  ERect rect;

 private:
  quillet::editor::PanelShell* shell = nullptr;
};
