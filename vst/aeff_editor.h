// AEffEditor: the plain editor interface the dispatchers talk to. The build
// without an editor never creates one; the editor build derives its panel
// from AEffGUIEditor.
#pragma once

#include "vst/interface/vst2_interface.h"

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* owner) : effect(owner), systemWindow(nullptr) {}
  virtual ~AEffEditor() {}

  virtual AudioEffect* getEffect() { return effect; }
  virtual bool getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return false;
  }
  virtual bool open(void* ptr) {
    systemWindow = ptr;
    return false;
  }
  virtual void close() { systemWindow = nullptr; }
  virtual bool isOpen() { return systemWindow != nullptr; }
  virtual void idle() {}
  virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
  virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
  virtual bool onWheel(float /*distance*/) { return false; }
  virtual bool setKnobMode(VstInt32 /*val*/) { return false; }
  // The effect tells its editor of every stored parameter value. Declared
  // here, after the other slots, so the effect needs no editor class of its
  // own build; the panel overrides it.
  virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}

 protected:
  AudioEffect* effect;
  void* systemWindow;
};
