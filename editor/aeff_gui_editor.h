// AEffGUIEditor: adapts the editor interface to the toolkit's top-level view.
// The effect reaches a concrete panel only through the editor interface.
#pragma once

#include <cstdint>

#include "editor/aeff_editor.h"

namespace VSTGUI {
class CFrame;
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
  virtual void beginEdit(VstInt32 index);
  virtual void endEdit(VstInt32 index);
  virtual void doIdleStuff();

  // Process-wide knob mode: 0 circular, 1 relative circular, 2 linear.
  static VstInt32 knobMode;

  VSTGUI::CFrame* getFrame() const { return frame; }

 protected:
  ERect rect;
  uint32_t lastTicks;
  bool inIdleStuff;
  VSTGUI::CFrame* frame;
};
