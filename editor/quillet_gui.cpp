#include "editor/quillet_gui.h"

#include <new>

#include "editor/editor_factory.h"
#include "editor/panel_layout.h"
#include "editor/tempo_sync.h"
#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "vst/audio_effect_x.h"

using namespace VSTGUI;

namespace {

CRect rectOf(const panel::Place& p) { return CRect::fromSize(p.left, p.top, p.width, p.height); }

}  // namespace

// Out of memory: no editor, and the effect runs without one.
AEffEditor* createQuilletEditor(AudioEffect* effect) {
  if (!effect) return nullptr;
  return new (std::nothrow) QuilletGUI(effect);
}

// Never throws: the shell has already attached itself to the effect, which
// would be left holding a dead editor.
QuilletGUI::QuilletGUI(AudioEffect* effect) : AEffGUIEditor(effect) {
  // The panel is as large as its background picture (empty without memory).
  CBitmap* background = new (std::nothrow) CBitmap(panel::kBackground);
  rect.top = 0;
  rect.left = 0;
  if (!background) return;
  rect.bottom = static_cast<VstInt16>(background->getHeight());
  rect.right = static_cast<VstInt16>(background->getWidth());
  background->forget();
}

QuilletGUI::~QuilletGUI() {
  // A host may destroy the effect with the editor still open.
  if (frame) close();
}

bool QuilletGUI::open(void* ptr) {
  // A second open without a close replaces the first window instead of
  // leaving it behind.
  if (frame) close();
  AEffGUIEditor::open(ptr);

  PanelBitmaps bitmaps = {};
  CFrame* newFrame = nullptr;
  bool built = false;
  try {
    buildPanel(ptr, bitmaps, newFrame);
    built = true;
  } catch (...) {
    // Out of memory half-way (or a window that could not be made): what was
    // built goes, and the panel stays closed.
  }
  for (CBitmap* b : bitmaps)
    if (b) b->forget();

  if (!built || !newFrame->hasWindow()) {
    // No window inside the host's one (no parent, no display): nothing to show.
    delete newFrame;
    clearControls();
    return false;
  }
  frame = newFrame;
  return true;
}

void QuilletGUI::buildPanel(void* ptr, PanelBitmaps& bitmaps, CFrame*& newFrame) {
  for (int32_t id = panel::kFirstBitmap; id <= panel::kLastBitmap; ++id)
    bitmaps[id - panel::kFirstBitmap] = new CBitmap(id);
  auto bitmap = [&](int32_t id) { return bitmaps[id - panel::kFirstBitmap]; };

  setKnobMode(kLinearMode);

  CBitmap* background = bitmap(panel::kBackground);
  newFrame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), ptr, this);
  newFrame->setBackground(background);

  auto bound = [&](CControl* control) {
    control->setValue(effect->getParameter(control->getTag()));
    newFrame->addView(control);
  };
  auto largeKnob = [&](const panel::Place& place, VstInt32 tag) {
    auto* knob = new CAnimKnob(rectOf(place), this, tag, panel::kLargeKnobFrames, place.height,
                               bitmap(panel::kLargeKnob));
    bound(knob);
    return knob;
  };
  auto smallKnob = [&](const panel::Place& place, VstInt32 tag) {
    auto* knob = new CAnimKnob(rectOf(place), this, tag, panel::kSmallKnobFrames, place.height,
                               bitmap(panel::kSmallKnob));
    bound(knob);
    return knob;
  };

  delayKnob = largeKnob(panel::kDelayKnob, 0);
  repeatKnob = largeKnob(panel::kRepeatKnob, 1);
  levelKnob = largeKnob(panel::kLevelKnob, 2);
  dryKnob = smallKnob(panel::kDryKnob, 5);
  panKnob = smallKnob(panel::kPanKnob, 6);
  xFeedKnob = smallKnob(panel::kXFeedKnob, 7);

  rangeSwitch = new CHorizontalSwitch(rectOf(panel::kRangeSwitch), this, 3, 3,
                                      panel::kRangeSwitch.height, 3, bitmap(panel::kRangeSelector));
  bound(rangeSwitch);
  noteModeSwitch =
      new CHorizontalSwitch(rectOf(panel::kNoteModeSwitch), this, kTagNoteMode, 3,
                            panel::kNoteModeSwitch.height, 3, bitmap(panel::kNoteModeLamps));
  newFrame->addView(noteModeSwitch);
  pingPongSwitch =
      new CHorizontalSwitch(rectOf(panel::kPingPongSwitch), this, 10, 3,
                            panel::kPingPongSwitch.height, 3, bitmap(panel::kPingPongLamps));
  bound(pingPongSwitch);

  for (int i = 0; i < 6; ++i) {
    panel::Place place = panel::kFirstNoteKey;
    place.left += i * place.width;
    noteButtons[i] = new CKickButton(rectOf(place), this, kTagWholeNote + i, place.height,
                                     bitmap(panel::kWholeNoteKey + i));
    newFrame->addView(noteButtons[i]);
  }

  muteButton = new COnOffButton(rectOf(panel::kMuteKeyPlace), this, 4, bitmap(panel::kMuteKey));
  bound(muteButton);
  monoOutButton =
      new COnOffButton(rectOf(panel::kMonoOutKeyPlace), this, 8, bitmap(panel::kMonoOutKey));
  bound(monoOutButton);
  knobDustButton =
      new COnOffButton(rectOf(panel::kDustLampPlace), this, 9, bitmap(panel::kDustLamp));
  bound(knobDustButton);

  for (CAnimKnob* knob : {delayKnob, repeatKnob, levelKnob, dryKnob, panKnob, xFeedKnob})
    knob->setWheelInc(0.1f);
  delayKnob->setDefaultValue(0.0f);
  repeatKnob->setDefaultValue(0.0f);
  levelKnob->setDefaultValue(0.0f);
  dryKnob->setDefaultValue(1.0f);
  panKnob->setDefaultValue(0.5f);
  xFeedKnob->setDefaultValue(0.0f);
  rangeSwitch->setDefaultValue(0.5f);
  noteModeSwitch->setDefaultValue(0.5f);
  pingPongSwitch->setDefaultValue(0.0f);
}

void QuilletGUI::close() {
  CFrame* old = frame;
  frame = nullptr;
  clearControls();
  delete old;
}

void QuilletGUI::clearControls() {
  delayKnob = repeatKnob = levelKnob = dryKnob = panKnob = xFeedKnob = nullptr;
  rangeSwitch = noteModeSwitch = pingPongSwitch = nullptr;
  for (CKickButton*& button : noteButtons) button = nullptr;
  muteButton = monoOutButton = knobDustButton = nullptr;
}

CControl* QuilletGUI::controlForTag(VstInt32 tag) const {
  if (!frame) return nullptr;
  switch (tag) {
    case 0:
      return delayKnob;
    case 1:
      return repeatKnob;
    case 2:
      return levelKnob;
    case 3:
      return rangeSwitch;
    case 4:
      return muteButton;
    case 5:
      return dryKnob;
    case 6:
      return panKnob;
    case 7:
      return xFeedKnob;
    case 8:
      return monoOutButton;
    case 9:
      return knobDustButton;
    case 10:
      return pingPongSwitch;
    case kTagNoteMode:
      return noteModeSwitch;
    default:
      if (tag >= kTagWholeNote && tag <= kTagThirtySecondNote)
        return noteButtons[tag - kTagWholeNote];
      return nullptr;
  }
}

void QuilletGUI::setParameter(VstInt32 index, float /*value*/) {
  // The control shows what the effect stored (clamped), not what was asked.
  if (!frame || index < 0 || index > 10) return;
  if (CControl* control = controlForTag(index)) control->setValue(effect->getParameter(index));
}

void QuilletGUI::valueChanged(CDrawContext*, CControl* control) {
  if (!frame || !control) return;
  const VstInt32 tag = control->getTag();
  if (tag >= 0 && tag <= 10) {
    effect->setParameterAutomated(tag, control->getValue());
    control->setDirty();
  } else if (tag >= kTagWholeNote && tag <= kTagThirtySecondNote) {
    setDelayFromTempo(tag);
  }
}

int32_t QuilletGUI::controlModifierClicked(CDrawContext*, CControl*, int32_t) { return 0; }

void QuilletGUI::setDelayFromTempo(VstInt32 noteTag) {
  const float mode = noteModeSwitch ? noteModeSwitch->getValue() : 0.0f;
  VstTimeInfo* time = static_cast<AudioEffectX*>(effect)->getTimeInfo(kVstTempoValid);
  if (!time) return;
  const double tempo = time->tempo;
  // No usable tempo (0, negative, not a number): nothing to set.
  if (!(tempo > 0.0) || tempo > 1.0e9) return;
  const double milliseconds = 60000.0 / tempo * noteBeats(noteTag) * noteModeFactor(mode);
  const DelaySetting setting = delayForTime(milliseconds);
  effect->setParameterAutomated(0, setting.delay);
  effect->setParameterAutomated(3, setting.range);
}
