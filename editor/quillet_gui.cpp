#include "editor/quillet_gui.h"

#include <initializer_list>
#include <new>

#include "editor/editor_factory.h"
#include "editor/panel_layout.h"
#include "editor/tempo_sync.h"
#include "core/param_table.h"
#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "vst/audio_effect_x.h"

using namespace VSTGUI;

namespace {

CRect rectOf(const panel::Place& p) { return CRect::fromSize(p.left, p.top, p.width, p.height); }

static_assert(kNumQuilletParams <= 32, "one bit per parameter in the change marks");

bool isParameterTag(VstInt32 tag) { return tag >= 0 && tag < kNumQuilletParams; }

// A Ctrl-click puts a bound control back on its parameter's default.
void setTableDefault(CControl* control) {
  control->setDefaultValue(kQuilletParams[control->getTag()].defaultValue);
}

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

  // Stores before this point are shown by the values read below.
  changedParams.store(0, std::memory_order_relaxed);
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

  delayKnob = largeKnob(panel::kDelayKnob, kParamDelay);
  repeatKnob = largeKnob(panel::kRepeatKnob, kParamRepeat);
  levelKnob = largeKnob(panel::kLevelKnob, kParamLevel);
  dryKnob = smallKnob(panel::kDryKnob, kParamDry);
  panKnob = smallKnob(panel::kPanKnob, kParamPan);
  xFeedKnob = smallKnob(panel::kXFeedKnob, kParamXFeed);

  rangeSwitch = new CHorizontalSwitch(rectOf(panel::kRangeSwitch), this, kParamRange, 3,
                                      panel::kRangeSwitch.height, 3, bitmap(panel::kRangeSelector));
  bound(rangeSwitch);
  noteModeSwitch =
      new CHorizontalSwitch(rectOf(panel::kNoteModeSwitch), this, kTagNoteMode, 3,
                            panel::kNoteModeSwitch.height, 3, bitmap(panel::kNoteModeLamps));
  newFrame->addView(noteModeSwitch);
  pingPongSwitch =
      new CHorizontalSwitch(rectOf(panel::kPingPongSwitch), this, kParamPingPong, 3,
                            panel::kPingPongSwitch.height, 3, bitmap(panel::kPingPongLamps));
  bound(pingPongSwitch);

  for (int i = 0; i < 6; ++i) {
    panel::Place place = panel::kFirstNoteKey;
    place.left += i * place.width;
    noteButtons[i] = new CKickButton(rectOf(place), this, kTagWholeNote + i, place.height,
                                     bitmap(panel::kWholeNoteKey + i));
    newFrame->addView(noteButtons[i]);
  }

  muteButton =
      new COnOffButton(rectOf(panel::kMuteKeyPlace), this, kParamMute, bitmap(panel::kMuteKey));
  bound(muteButton);
  monoOutButton = new COnOffButton(rectOf(panel::kMonoOutKeyPlace), this, kParamMonoOut,
                                   bitmap(panel::kMonoOutKey));
  bound(monoOutButton);
  knobDustButton = new COnOffButton(rectOf(panel::kDustLampPlace), this, kParamKnobDust,
                                    bitmap(panel::kDustLamp));
  bound(knobDustButton);

  for (CAnimKnob* knob : {delayKnob, repeatKnob, levelKnob, dryKnob, panKnob, xFeedKnob})
    knob->setWheelInc(0.1f);
  for (CControl* control :
       std::initializer_list<CControl*>{delayKnob, repeatKnob, levelKnob, dryKnob, panKnob,
                                        xFeedKnob, rangeSwitch, pingPongSwitch})
    setTableDefault(control);
  // The note mode is the panel's own: its default is the middle, dotted.
  noteModeSwitch->setDefaultValue(0.5f);
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
    case kParamDelay:
      return delayKnob;
    case kParamRepeat:
      return repeatKnob;
    case kParamLevel:
      return levelKnob;
    case kParamRange:
      return rangeSwitch;
    case kParamMute:
      return muteButton;
    case kParamDry:
      return dryKnob;
    case kParamPan:
      return panKnob;
    case kParamXFeed:
      return xFeedKnob;
    case kParamMonoOut:
      return monoOutButton;
    case kParamKnobDust:
      return knobDustButton;
    case kParamPingPong:
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
  // Stores come on any thread, even while close() deletes the controls:
  // nothing here touches them.
  if (!isParameterTag(index)) return;
  // Release: the idle pass that sees the mark also sees the stored value.
  changedParams.fetch_or(1u << index, std::memory_order_release);
}

void QuilletGUI::idle() {
  showStoredValues();
  AEffGUIEditor::idle();
}

void QuilletGUI::showStoredValues() {
  uint32_t changed = changedParams.exchange(0, std::memory_order_acquire);
  // Closed: the next open reads every value afresh.
  if (!frame) return;
  for (VstInt32 index = 0; changed; ++index, changed >>= 1) {
    if (!(changed & 1u)) continue;
    // The control shows what the effect stored (clamped), not what was asked.
    if (CControl* control = controlForTag(index)) control->setValue(effect->getParameter(index));
  }
}

void QuilletGUI::valueChanged(CDrawContext*, CControl* control) {
  if (!frame || !control) return;
  const VstInt32 tag = control->getTag();
  if (isParameterTag(tag)) {
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
  effect->setParameterAutomated(kParamDelay, setting.delay);
  effect->setParameterAutomated(kParamRange, setting.range);
}
