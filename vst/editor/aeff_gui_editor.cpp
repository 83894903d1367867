#include "vst/editor/aeff_gui_editor.h"

#include "editor/panel_shell.h"
#include "gui/key_code.h"
#include "vst/audio_effect_x.h"

// The toolkit numbers its keys as VST 2.4 does: a host's key carries over.
static_assert(+VSTGUI::VKEY_TAB == +VKEY_TAB && +VSTGUI::VKEY_EQUALS == +VKEY_EQUALS &&
                  +VSTGUI::MODIFIER_SHIFT == +MODIFIER_SHIFT &&
                  +VSTGUI::MODIFIER_CONTROL == +MODIFIER_CONTROL,
              "key numbering");

namespace {

VSTGUI::CKeyCode panelKey(const VstKeyCode& key) {
  VSTGUI::CKeyCode out;
  out.character = key.character;
  out.virt = key.virt;
  out.modifier = key.modifier;
  return out;
}

}  // namespace

VstInt32& AEffGUIEditor::knobMode = quillet::editor::PanelShell::knobMode;

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect) : AEffEditor(effect), rect{0, 0, 0, 0} {
  if (effect) effect->setEditor(this);
}

// The panel is gone by now: the concrete editor owned it.
AEffGUIEditor::~AEffGUIEditor() {}

bool AEffGUIEditor::getRect(ERect** r) {
  if (r) *r = &rect;
  return true;
}

void AEffGUIEditor::idle() {
  if (shell) shell->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
  VSTGUI::CKeyCode key = panelKey(keyCode);
  return shell && shell->keyDown(key);
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
  VSTGUI::CKeyCode key = panelKey(keyCode);
  return shell && shell->keyUp(key);
}

bool AEffGUIEditor::onWheel(float distance) { return shell && shell->wheel(distance); }

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
  knobMode = val;
  return true;
}

void AEffGUIEditor::beginEdit(VstInt32 index) {
  static_cast<AudioEffectX*>(effect)->beginEdit(index);
}

void AEffGUIEditor::endEdit(VstInt32 index) { static_cast<AudioEffectX*>(effect)->endEdit(index); }

void AEffGUIEditor::doIdleStuff() {
  if (shell) shell->doIdleStuff();
}

VSTGUI::CFrame* AEffGUIEditor::getFrame() const { return shell ? shell->getFrame() : nullptr; }
