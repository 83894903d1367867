#include "editor/aeff_gui_editor.h"

#include "gui/cframe.h"
#include "platform/tick_count.h"
#include "vst/audio_effect_x.h"

VstInt32 AEffGUIEditor::knobMode = VSTGUI::kCircularMode;

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect)
    : AEffEditor(effect),
      rect{0, 0, 0, 0},
      lastTicks(platform::tickCount()),
      inIdleStuff(false),
      frame(nullptr) {
  if (effect) effect->setEditor(this);
}

// The frame is gone by now: close removed it.
AEffGUIEditor::~AEffGUIEditor() {}

bool AEffGUIEditor::getRect(ERect** r) {
  if (r) *r = &rect;
  return true;
}

void AEffGUIEditor::idle() {
  if (inIdleStuff || !frame) return;
  frame->handleEvents();
  frame->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
  return frame && frame->onKeyDown(keyCode) == VSTGUI::kKeyHandled;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
  return frame && frame->onKeyUp(keyCode) == VSTGUI::kKeyHandled;
}

bool AEffGUIEditor::onWheel(float distance) {
  if (!frame) return false;
  const VSTGUI::MouseState pointer = frame->queryMouse();
  return frame->onWheel(pointer.where, distance, pointer.buttons);
}

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
  knobMode = val;
  return true;
}

void AEffGUIEditor::beginEdit(VstInt32 index) {
  static_cast<AudioEffectX*>(effect)->beginEdit(index);
}

void AEffGUIEditor::endEdit(VstInt32 index) { static_cast<AudioEffectX*>(effect)->endEdit(index); }

// Runs on every turn of a mouse-tracking loop: a full pass (redraw, one paint
// request, host idle) about every 50 ms, a 4 ms sleep on the turns between.
void AEffGUIEditor::doIdleStuff() {
  uint32_t now = platform::tickCount();
  if (now < lastTicks) {
    platform::sleepMilliseconds(4);
    now += 4;
    if (now < lastTicks - 50) return;
  }
  idle();
  if (frame) frame->processOnePaint();
  lastTicks = now + 100;
  inIdleStuff = true;
  effect->masterIdle();
  inIdleStuff = false;
}
