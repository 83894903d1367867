#include "vst/editor/quillet_gui.h"

#include <new>

#include "vst/audio_effect_x.h"
#include "vst/editor/editor_factory.h"

// Out of memory: no editor, and the effect runs without one.
AEffEditor* createQuilletEditor(AudioEffect* effect) {
  if (!effect) return nullptr;
  return new (std::nothrow) QuilletGUI(effect);
}

// Never throws: the shell has already attached itself to the effect, which
// would be left holding a dead editor.
QuilletGUI::QuilletGUI(AudioEffect* effect) : AEffGUIEditor(effect), panel(*this) {
  setPanel(&panel);
  // Reported before the first open and never changed.
  rect.top = 0;
  rect.left = 0;
  rect.bottom = static_cast<VstInt16>(panel.height());
  rect.right = static_cast<VstInt16>(panel.width());
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
