#include "vst/editor/quillet_gui.h"

#include <new>

#include "vst/audio_effect_x.h"
#include "vst/editor/editor_factory.h"

// Out of memory: no editor, and the effect runs without one.
AEffEditor* createQuilletEditor(AudioEffect* effect) {
  if (!effect) return nullptr;
  return new (std::nothrow) QuilletGUI(effect);
}

bool setQuilletEditorScale(AEffEditor* editor, float factor) {
  // The editor build makes no other editor than QuilletGUI.
  if (!editor) return false;
  static_cast<QuilletGUI*>(editor)->setHostScale(factor);
  return true;
}

// Never throws: the shell has already attached itself to the effect, which
// would be left holding a dead editor.
QuilletGUI::QuilletGUI(AudioEffect* effect) : AEffGUIEditor(effect), panel(*this) {
  setPanel(&panel);
  // The size is worked out when the host first asks (getRect), not here:
  // a host that never shows the editor never pays for it.
  rect.top = 0;
  rect.left = 0;
}

bool QuilletGUI::getRect(ERect** r) {
  rect.bottom = static_cast<VstInt16>(panel.height());
  rect.right = static_cast<VstInt16>(panel.width());
  return AEffGUIEditor::getRect(r);
}

// The panel closes itself if the host destroys the effect with it open.
QuilletGUI::~QuilletGUI() {}

bool QuilletGUI::open(void* ptr) {
  AEffEditor::open(ptr);
  return panel.open(ptr);
}

// The host's window stays known (isOpen) until the next open.
void QuilletGUI::close() { panel.close(); }

void QuilletGUI::setParameter(VstInt32 index, float /*value*/) { panel.parameterChanged(index); }

float QuilletGUI::parameterValue(int32_t index) { return effect->getParameter(index); }

void QuilletGUI::performEdit(int32_t index, float value) {
  effect->setParameterAutomated(index, value);
}

double QuilletGUI::hostTempo() {
  const VstTimeInfo* time = static_cast<AudioEffectX*>(effect)->getTimeInfo(kVstTempoValid);
  return time ? time->tempo : 0.0;
}

void QuilletGUI::idleDuringGesture() { effect->masterIdle(); }

bool QuilletGUI::requestResize(int32_t width, int32_t height) {
  rect.bottom = static_cast<VstInt16>(height);
  rect.right = static_cast<VstInt16>(width);
  return static_cast<AudioEffectX*>(effect)->sizeWindow(width, height);
}
