#include "editor/quillet_panel.h"

#include <initializer_list>
#include <new>

#include "core/param_table.h"
#include "editor/tempo_sync.h"
#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"

using namespace VSTGUI;

namespace quillet {

namespace {

CRect rectOf(const panel::Place& p) { return CRect::fromSize(p.left, p.top, p.width, p.height); }

static_assert(kNumQuilletParams <= 32, "one bit per parameter in the change marks");

bool isParameterTag(int32_t tag) { return tag >= 0 && tag < kNumQuilletParams; }

// A Ctrl-click puts a bound control back on its parameter's default.
void setTableDefault(CControl* control) {
  control->setDefaultValue(kQuilletParams[control->getTag()].defaultValue);
}

}  // namespace

QuilletPanel::QuilletPanel(PanelHost& host) : PanelShell(host) {
  // The panel is as large as its background picture (empty without memory).
  CBitmap* background = new (std::nothrow) CBitmap(panel::kBackground);
  if (!background) return;
  panelWidth = background->getWidth();
  panelHeight = background->getHeight();
  background->forget();
}

QuilletPanel::~QuilletPanel() {
  // A host may destroy its side with the panel still open.
  close();
}

bool QuilletPanel::open(void* parent) {
  // A second open without a close replaces the first window instead of
  // leaving it behind.
  if (isOpen()) close();

  PanelBitmaps bitmaps = {};
  CFrame* newFrame = nullptr;
  bool built = false;
  try {
    buildPanel(parent, bitmaps, newFrame);
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
  // Only now: marks that come earlier are read by the next idle pass.
  adoptFrame(newFrame);
  return true;
}

void QuilletPanel::buildPanel(void* parent, PanelBitmaps& bitmaps, CFrame*& newFrame) {
  for (int32_t id = panel::kFirstBitmap; id <= panel::kLastBitmap; ++id)
    bitmaps[id - panel::kFirstBitmap] = new CBitmap(id);
  auto bitmap = [&](int32_t id) { return bitmaps[id - panel::kFirstBitmap]; };

  setKnobMode(kLinearMode);

  CBitmap* background = bitmap(panel::kBackground);
  newFrame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), parent, this);
  newFrame->setBackground(background);

  // Stores before this point are shown by the values read below.
  changedParams.store(0, std::memory_order_relaxed);
  auto bound = [&](CControl* control) {
    control->setValue(host.parameterValue(control->getTag()));
    newFrame->addView(control);
  };
  auto largeKnob = [&](const panel::Place& place, int32_t tag) {
    auto* knob = new CAnimKnob(rectOf(place), this, tag, panel::kLargeKnobFrames, place.height,
                               bitmap(panel::kLargeKnob));
    bound(knob);
    return knob;
  };
  auto smallKnob = [&](const panel::Place& place, int32_t tag) {
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

void QuilletPanel::close() {
  clearControls();
  PanelShell::close();
}

void QuilletPanel::clearControls() {
  delayKnob = repeatKnob = levelKnob = dryKnob = panKnob = xFeedKnob = nullptr;
  rangeSwitch = noteModeSwitch = pingPongSwitch = nullptr;
  for (CKickButton*& button : noteButtons) button = nullptr;
  muteButton = monoOutButton = knobDustButton = nullptr;
}

CControl* QuilletPanel::controlForTag(int32_t tag) const {
  if (!isOpen()) return nullptr;
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

void QuilletPanel::parameterChanged(int32_t index) {
  // Stores come on any thread, even while close() deletes the controls:
  // nothing here touches them.
  if (!isParameterTag(index)) return;
  // Release: the idle pass that sees the mark also sees the stored value.
  changedParams.fetch_or(1u << index, std::memory_order_release);
}

void QuilletPanel::idle() {
  showStoredValues();
  PanelShell::idle();
}

void QuilletPanel::showStoredValues() {
  uint32_t changed = changedParams.exchange(0, std::memory_order_acquire);
  // Closed: the next open reads every value afresh.
  if (!isOpen()) return;
  for (int32_t index = 0; changed; ++index, changed >>= 1) {
    if (!(changed & 1u)) continue;
    // The control shows what the host stored (clamped), not what was asked.
    if (CControl* control = controlForTag(index)) control->setValue(host.parameterValue(index));
  }
}

void QuilletPanel::edit(int32_t index, float value) {
  host.performEdit(index, value);
  parameterChanged(index);
}

void QuilletPanel::valueChanged(CDrawContext*, CControl* control) {
  if (!isOpen() || !control) return;
  const int32_t tag = control->getTag();
  if (isParameterTag(tag)) {
    edit(tag, control->getValue());
    control->setDirty();
  } else if (tag >= kTagWholeNote && tag <= kTagThirtySecondNote) {
    setDelayFromTempo(tag);
  }
}

int32_t QuilletPanel::controlModifierClicked(CDrawContext*, CControl*, int32_t) { return 0; }

void QuilletPanel::setDelayFromTempo(int32_t noteTag) {
  const float mode = noteModeSwitch ? noteModeSwitch->getValue() : 0.0f;
  const double tempo = host.hostTempo();
  // No usable tempo (none, 0, negative, not a number): nothing to set.
  if (!(tempo > 0.0) || tempo > 1.0e9) return;
  const double milliseconds = 60000.0 / tempo * noteBeats(noteTag) * noteModeFactor(mode);
  const DelaySetting setting = delayForTime(milliseconds);
  edit(kParamDelay, setting.delay);
  edit(kParamRange, setting.range);
}

}  // namespace quillet
