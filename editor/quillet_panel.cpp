#include "editor/quillet_panel.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <new>

#include "core/factory_presets.h"
#include "core/param_table.h"
#include "editor/artwork/panel_menu_picture.h"
#include "editor/scale/scale_steps.h"
#include "editor/scale/scaled_layout.h"
#include "editor/scale/user_settings.h"
#include "editor/scaled_bitmaps.h"
#include "editor/tempo_sync.h"
#include "gui/cbitmap.h"
#include "gui/cbuttons.h"
#include "gui/cframe.h"
#include "gui/cknob.h"
#include "platform/desktop_scale.h"

using namespace VSTGUI;

namespace quillet::editor {

namespace {

CRect rectOf(const quillet::editor::Place& p) {
  return CRect::fromSize(p.left, p.top, p.width, p.height);
}

// A place of the panel at `scale`, in frame pixels.
CRect rectAt(const quillet::editor::Place& p, float scale) {
  return rectOf(quillet::editor::scaledPlace(p, scale));
}

constexpr int32_t kScaleStepCount = sizeof kScaleSteps / sizeof kScaleSteps[0];

// The menu's sections, in the menu's order (its rows are numbered so).
constexpr int32_t kSizeSection = 0;
constexpr int32_t kPresetSection = 1;
// Where the host learns MIDI, the name plate's menu adds the tap's section.
constexpr int32_t kNamePlateMidiSection = 2;
// Column widths at scale 1: the presets' names are the longer rows.
constexpr int32_t kSizeColumnWidth = 150;
constexpr int32_t kPresetColumnWidth = 196;
constexpr int32_t kMidiColumnWidth = 196;

static_assert(core::kNumQuilletParams <= 32, "one bit per parameter in the change marks");

bool isParameterTag(int32_t tag) { return tag >= 0 && tag < core::kNumQuilletParams; }

constexpr bool everyParameterHasAControl() {
  for (int32_t index = 0; index < core::kNumQuilletParams; ++index)
    if (quillet::editor::controlRow(index) < 0) return false;
  return true;
}
static_assert(everyParameterHasAControl(), "a parameter without a control on the panel");

constexpr bool everyTagOnce() {
  for (int32_t row = 0; row < quillet::editor::kControlCount; ++row)
    if (quillet::editor::controlRow(quillet::editor::kControls[row].tag) != row) return false;
  return true;
}
static_assert(everyTagOnce(), "two controls of the panel with one tag");

constexpr int32_t kNoteModeRow = quillet::editor::controlRow(core::kTagNoteMode);
static_assert(kNoteModeRow >= 0, "no note-mode switch on the panel");

// A control of the panel's table at `scale`, telling `listener` of its
// changes. A Ctrl-click puts a knob or a switch back on its default: its
// parameter's, or for the note mode, the panel's own, the middle (dotted).
CControl* makeControl(const quillet::editor::Control& control, float scale, CBitmap* bitmap,
                      CControlListener* listener) {
  const CRect where = rectAt(control.place, scale);
  const int32_t frameHeight = quillet::editor::scaledLength(control.place.height, scale);
  const float tableDefault =
      isParameterTag(control.tag) ? core::kQuilletParams[control.tag].defaultValue : 0.5f;
  switch (control.kind) {
    case quillet::editor::ControlKind::kLargeKnob:
    case quillet::editor::ControlKind::kSmallKnob: {
      const int32_t frames = control.kind == quillet::editor::ControlKind::kLargeKnob
                                 ? quillet::editor::kLargeKnobFrames
                                 : quillet::editor::kSmallKnobFrames;
      auto* knob = new CAnimKnob(where, listener, control.tag, frames, frameHeight, bitmap);
      // The same frame for a value, and the same drag for the same movement
      // of the hand, at every scale.
      knob->setFrameIndexHeight(control.place.height);
      knob->setLinearRange(CKnob::kLinearRange * scale);
      knob->setWheelInc(0.1f);
      knob->setDefaultValue(tableDefault);
      return knob;
    }
    case quillet::editor::ControlKind::kThreeWaySwitch: {
      auto* made = new CHorizontalSwitch(where, listener, control.tag, 3, frameHeight, 3, bitmap);
      made->setDefaultValue(tableDefault);
      return made;
    }
    case quillet::editor::ControlKind::kNoteKey:
      return new CKickButton(where, listener, control.tag, frameHeight, bitmap);
    case quillet::editor::ControlKind::kOnOffKey:
      return new COnOffButton(where, listener, control.tag, bitmap);
  }
  return nullptr;
}

}  // namespace

QuilletPanel::QuilletPanel(core::PanelHost& host) : PanelShell(host) {
  // The panel is as large as its background picture, read from the
  // picture's header: the pictures themselves are decoded when the panel
  // first opens, as most instances never show it.
  CBitmap::resourceSize(quillet::editor::kBackground, &panelWidth, &panelHeight);
  // The first use of any thread-local of this library on a thread allocates
  // that thread's block of them, and the exception an open short of memory
  // throws keeps its bookkeeping in one: taken here, on the thread that makes
  // the panel (as decoding the background here used to), a failing open
  // leaves nothing allocated.
  // (The answer is kept in a register, so that the call is made.)
  const int pending = std::uncaught_exceptions();
  asm volatile("" : : "r"(pending));
}

QuilletPanel::~QuilletPanel() {
  // A host may destroy its side with the panel still open.
  close();
}

int32_t QuilletPanel::widthAt(float s) const {
  return s == 1.0f ? panelWidth : quillet::editor::scaledLength(quillet::editor::kPanelWidth, s);
}

int32_t QuilletPanel::heightAt(float s) const {
  return s == 1.0f ? panelHeight : quillet::editor::scaledLength(quillet::editor::kPanelHeight, s);
}

float QuilletPanel::scale() const {
  if (asking > 0.0f) return asking;
  return isOpen() ? shown.scale : expectedScale().scale;
}

ScaleSource QuilletPanel::scaleSource() const {
  return isOpen() && asking == 0.0f ? shown.source : expectedScale().source;
}

int32_t QuilletPanel::width() const { return widthAt(scale()); }

int32_t QuilletPanel::height() const { return heightAt(scale()); }

ScaleChoice QuilletPanel::resolveScale(void* parent) const {
  ScaleInputs inputs;
  inputs.environment = std::getenv(kScaleEnvironmentVariable);
  inputs.user = choiceMade ? choice : loadUserSettings().uiScale;
  if (hostFactor > 0.0f) inputs.host = hostFactor;
  ScaleChoice answer = chooseScale(inputs);
  // The desktop only when nothing above answers: asking it costs a
  // connection to the display.
  if (answer.source == ScaleSource::kNone) {
    inputs.desktop = quillet::platform::desktopScaleFor(parent);
    answer = chooseScale(inputs);
  }
  return answer;
}

const ScaleChoice& QuilletPanel::expectedScale() const {
  if (!expectedKnown) {
    expected = resolveScale(parentWindow);
    expectedKnown = true;
  }
  return expected;
}

void QuilletPanel::setHostScale(float factor) {
  hostFactor = std::isfinite(factor) && factor > 0.0f ? factor : 0.0f;
  expectedKnown = false;
  if (isOpen()) requestScale(resolveScale(parentWindow).scale);
}

bool QuilletPanel::setUserScale(std::optional<float> userChoice) {
  if (userChoice) userChoice = nearestScaleStep(*userChoice);
  choiceMade = true;
  choice = userChoice;
  UserSettings settings = loadUserSettings();
  settings.uiScale = userChoice;
  const bool saved = saveUserSettings(settings);
  expectedKnown = false;
  if (isOpen()) requestScale(resolveScale(parentWindow).scale);
  return saved;
}

bool QuilletPanel::open(void* parent) {
  // A second open without a close replaces the first window instead of
  // leaving it behind.
  if (isOpen()) close();

  // The size the host was told, unless the desktop (asked about this very
  // window now) says otherwise.
  ScaleChoice choiceNow = expectedScale();
  if (parent != parentWindow &&
      (choiceNow.source == ScaleSource::kDesktop || choiceNow.source == ScaleSource::kNone))
    choiceNow = resolveScale(parent);
  const bool sizeChanged =
      width() != widthAt(choiceNow.scale) || height() != heightAt(choiceNow.scale);
  parentWindow = parent;

  PanelBitmaps bitmaps = {};
  CFrame* newFrame = nullptr;
  bool built = false;
  try {
    buildPanel(parent, choiceNow.scale, bitmaps, newFrame);
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
    drawnPictures.reset();
    return false;
  }
  // Only now: marks that come earlier are read by the next idle pass.
  shown = choiceNow;
  expected = choiceNow;
  expectedKnown = true;
  adoptFrame(newFrame);
  if (sizeChanged) host.requestResize(width(), height());
  return true;
}

void QuilletPanel::loadBitmaps(float scale, PanelBitmaps& bitmaps,
                               std::shared_ptr<const ScaledBitmaps>& drawn) {
  if (scale != 1.0f) {
    drawn = ScaledBitmaps::forScale(scale);
    if (!drawn) throw std::bad_alloc();
  }
  for (int32_t id = quillet::editor::kFirstBitmap; id <= quillet::editor::kLastBitmap; ++id)
    bitmaps[id - quillet::editor::kFirstBitmap] = drawn ? drawn->bitmap(id) : new CBitmap(id);
}

void QuilletPanel::buildPanel(void* parent, float scale, PanelBitmaps& bitmaps, CFrame*& newFrame) {
  std::shared_ptr<const ScaledBitmaps> drawn;
  loadBitmaps(scale, bitmaps, drawn);
  drawnPictures = drawn;
  auto bitmap = [&](int32_t id) { return bitmaps[id - quillet::editor::kFirstBitmap]; };

  setKnobMode(kLinearMode);

  CBitmap* background = bitmap(quillet::editor::kBackground);
  newFrame = new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), parent, this);
  addControls(newFrame, scale, bitmaps);
}

void QuilletPanel::addControls(CFrame* newFrame, float scale, PanelBitmaps& bitmaps) {
  newFrame->setBackground(bitmaps[quillet::editor::kBackground - quillet::editor::kFirstBitmap]);
  // Stores before this point are shown by the values read below.
  changedParams.store(0, std::memory_order_relaxed);
  for (int32_t row = 0; row < quillet::editor::kControlCount; ++row) {
    const quillet::editor::Control& control = quillet::editor::kControls[row];
    CControl* made =
        makeControl(control, scale, bitmaps[control.bitmap - quillet::editor::kFirstBitmap], this);
    if (isParameterTag(control.tag)) made->setValue(host.parameterValue(control.tag));
    newFrame->addView(made);
    controls[row] = made;
  }
}

void QuilletPanel::requestScale(float target) {
  if (!isOpen()) return;
  // Never inside a mouse-tracking loop or a press's handling: the control
  // or menu handling it would be deleted under its feet.
  if (getFrame()->isTracking()) {
    pendingScale = target;
    return;
  }
  pendingScale = 0.0f;
  applyScale(target);
}

bool QuilletPanel::applyScale(float target) {
  if (!isOpen()) return true;
  if (target == shown.scale) {
    // The same size from another source (the user now picks the size the
    // host gave): the panel's size is the user's from now on.
    const ScaleChoice now = resolveScale(parentWindow);
    if (now.scale == target) shown.source = now.source;
    return true;
  }
  const ScaleChoice before = shown;
  asking = target;
  const bool accepted = host.requestResize(widthAt(target), heightAt(target));
  asking = 0.0f;
  if (!accepted || !isOpen()) return false;
  if (!rebuildAt(target)) {
    // The host has the new size already; the panel keeps the old one.
    shown = before;
    return false;
  }
  return true;
}

bool QuilletPanel::rebuildAt(float target) {
  CFrame* frame = getFrame();
  PanelBitmaps bitmaps = {};
  std::shared_ptr<const ScaledBitmaps> drawn;
  bool sized = false, built = false;
  try {
    loadBitmaps(target, bitmaps, drawn);
    CBitmap* background = bitmaps[quillet::editor::kBackground - quillet::editor::kFirstBitmap];
    sized = background && background->isLoaded() &&
            frame->setFrameSize(background->getWidth(), background->getHeight());
    if (sized) {
      // The note mode is the panel's own state: it survives the new size.
      const float noteMode = controls[kNoteModeRow] ? controls[kNoteModeRow]->getValue() : 0.0f;
      frame->setFocusView(nullptr);
      frame->removeAllViews();
      clearControls();
      addControls(frame, target, bitmaps);
      controls[kNoteModeRow]->setValue(noteMode);
      built = true;
    }
  } catch (...) {
  }
  for (CBitmap* b : bitmaps)
    if (b) b->forget();
  if (!built) {
    // The old controls are gone once the frame took the new size: without
    // memory for new ones there is nothing sensible left to show.
    if (sized) close();
    return false;
  }
  drawnPictures = drawn;
  expected = resolveScale(parentWindow);
  expectedKnown = true;
  shown = ScaleChoice{target, expected.scale == target ? expected.source : shown.source};
  frame->redrawAll();
  return true;
}

std::vector<std::string> QuilletPanel::scaleMenuRows() {
  std::vector<std::string> rows;
  for (float step : kScaleSteps) rows.push_back(quillet::artwork::percentText(step));
  // What the host and the desktop give when the user leaves it to them.
  ScaleInputs inputs;
  if (hostFactor > 0.0f) inputs.host = hostFactor;
  inputs.desktop = quillet::platform::desktopScaleFor(parentWindow);
  rows.push_back(quillet::artwork::automaticText(chooseScale(inputs).scale));
  return rows;
}

int32_t QuilletPanel::markedScaleMenuRow() {
  const ScaleChoice own = isOpen() ? shown : expectedScale();
  if (own.source == ScaleSource::kUser || own.source == ScaleSource::kEnvironment) {
    for (int32_t i = 0; i < kScaleStepCount; ++i)
      if (kScaleSteps[i] == own.scale) return i;
  }
  return kScaleStepCount;
}

std::vector<std::string> QuilletPanel::presetMenuRows() const {
  std::vector<std::string> rows;
  for (const core::FactoryPreset& preset : core::kFactoryPresets) rows.push_back(preset.name);
  return rows;
}

int32_t QuilletPanel::markedPresetMenuRow() {
  float values[core::kNumQuilletParams];
  for (int32_t i = 0; i < core::kNumQuilletParams; ++i) values[i] = host.parameterValue(i);
  return core::matchingFactoryPreset(values);
}

void QuilletPanel::backgroundPressed(const CPoint& where, int32_t buttons) {
  const int32_t button = buttons & kMouseButtons;
  const bool onNamePlate = rectAt(quillet::editor::kNamePlate, shown.scale).pointInside(where);
  if (button == kLButton && onNamePlate && host.takesTaps()) {
    host.tapTempo();
    return;
  }
  // On the name plate the menu also learns the tap, where the host learns.
  const int32_t midiTag = onNamePlate && host.offersMidiLearn() ? core::kTagNamePlate : -1;
  if (button == kRButton || (button == kLButton && onNamePlate)) showMenu(where, false, midiTag);
}

bool QuilletPanel::viewPressed(CView* view, const CPoint& where, int32_t buttons) {
  if ((buttons & kMouseButtons) != kRButton || view == menu) return false;
  auto* control = dynamic_cast<CControl*>(view);
  return control && isParameterTag(control->getTag()) && showMidiMenu(control->getTag(), where);
}

bool QuilletPanel::showMidiMenu(int32_t tag, const CPoint& where) {
  if (!host.offersMidiLearn() || !isOpen()) return false;
  if (!isParameterTag(tag) && tag != core::kTagNamePlate) return false;
  CFrame* frame = getFrame();
  if (!menu) {
    menu = new (std::nothrow) PanelMenu(*this);
    if (!menu) return false;
    try {
      frame->addView(menu);
    } catch (...) {
      menu = nullptr;
      return false;
    }
  }
  menuHasSizeAndPresets = false;
  menuMidiTag = tag;
  return menu->show(where, shown.scale, {midiSection(tag)});
}

quillet::artwork::MenuSection QuilletPanel::midiSection(int32_t tag) {
  const std::string name = tag == core::kTagNamePlate ? quillet::artwork::kTapControlName
                                                      : core::kQuilletParams[tag].name;
  // The dot on "Learn MIDI" while the host waits for a controller.
  return {quillet::artwork::midiMenuTitle(name, host.midiSourceOf(tag)),
          {quillet::artwork::kLearnMidiRow, quillet::artwork::kForgetMidiRow},
          host.learningMidi(tag) ? 0 : -1,
          kMidiColumnWidth};
}

void QuilletPanel::showMenu(const CPoint& where, bool fromKeyboard, int32_t midiTag) {
  CFrame* frame = getFrame();
  if (!frame) return;
  if (!menu) {
    menu = new (std::nothrow) PanelMenu(*this);
    if (!menu) return;
    try {
      frame->addView(menu);
    } catch (...) {
      menu = nullptr;  // addView forgot it
      return;
    }
  }
  std::vector<quillet::artwork::MenuSection> sections(midiTag >= 0 ? 3 : 2);
  sections[kSizeSection] = {quillet::artwork::kScaleMenuTitle, scaleMenuRows(),
                            markedScaleMenuRow(), kSizeColumnWidth};
  sections[kPresetSection] = {quillet::artwork::kPresetMenuTitle, presetMenuRows(),
                              markedPresetMenuRow(), kPresetColumnWidth};
  if (midiTag >= 0) sections[kNamePlateMidiSection] = midiSection(midiTag);
  menuHasSizeAndPresets = true;
  menuMidiTag = midiTag;
  // From the keyboard the choice starts on the preset the panel holds (or
  // the first one), where the arrows can move it.
  const int32_t firstPresetRow = static_cast<int32_t>(sections[kSizeSection].rows.size());
  const int32_t marked = sections[kPresetSection].marked;
  const int32_t highlight = fromKeyboard ? firstPresetRow + (marked >= 0 ? marked : 0) : -1;
  menu->show(where, shown.scale, sections, highlight);
}

void QuilletPanel::menuPicked(int32_t section, int32_t row) {
  const int32_t midiSectionShown = menuHasSizeAndPresets ? kNamePlateMidiSection : 0;
  if (menuMidiTag >= 0 && section == midiSectionShown) {
    if (row == 0) host.learnMidi(menuMidiTag);
    if (row == 1) host.forgetMidi(menuMidiTag);
    return;
  }
  if (!menuHasSizeAndPresets) return;
  if (section == kPresetSection) {
    loadFactoryPreset(row);
    return;
  }
  if (section != kSizeSection || row < 0 || row > kScaleStepCount) return;
  setUserScale(row < kScaleStepCount ? std::optional<float>(kScaleSteps[row]) : std::nullopt);
}

bool QuilletPanel::isMenuKey(const CKeyCode& key) {
  return key.virt == VKEY_CONTEXTMENU || (key.virt == VKEY_F10 && key.modifier == MODIFIER_SHIFT);
}

bool QuilletPanel::isTapKey(const CKeyCode& key) {
  return (key.character == 't' || key.character == 'T') && (key.modifier & ~MODIFIER_SHIFT) == 0;
}

bool QuilletPanel::keyDown(CKeyCode& key) {
  if (isOpen() && isTapKey(key) && host.takesTaps() && !(menu && menu->isShown())) {
    host.tapTempo();
    return true;
  }
  if (isOpen() && isMenuKey(key) && !(menu && menu->isShown())) {
    // Where the keyboard is: under the control with the focus, else at the
    // panel's top-left corner.
    CPoint where(quillet::editor::scaledLength(8, shown.scale),
                 quillet::editor::scaledLength(8, shown.scale));
    if (const CView* focus = getFrame()->getFocusView()) {
      const CRect r = focus->getViewSize();
      where = CPoint(r.left, r.bottom);
    }
    showMenu(where, true);
    return menu && menu->isShown();
  }
  return PanelShell::keyDown(key);
}

bool QuilletPanel::loadFactoryPreset(int32_t preset) {
  if (preset < 0 || preset >= core::kNumFactoryPresets) return false;
  for (int32_t i = 0; i < core::kNumQuilletParams; ++i) {
    host.beginGesture(i);
    edit(i, core::kFactoryPresets[preset].values[i]);
    host.endGesture(i);
  }
  return true;
}

void QuilletPanel::close() {
  clearControls();
  PanelShell::close();
  drawnPictures.reset();
  pendingScale = 0.0f;
  // Sources may change before the next open (another panel's choice, the
  // desktop): ask them again then.
  expectedKnown = false;
}

void QuilletPanel::clearControls() {
  for (CControl*& control : controls) control = nullptr;
  menu = nullptr;
}

CControl* QuilletPanel::controlForTag(int32_t tag) const {
  if (!isOpen()) return nullptr;
  const int32_t row = quillet::editor::controlRow(tag);
  return row < 0 ? nullptr : controls[row];
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
  // A size picked in the menu, once the press that picked it is over.
  if (pendingScale > 0.0f && isOpen() && !getFrame()->isTracking()) {
    const float target = pendingScale;
    pendingScale = 0.0f;
    applyScale(target);
  }
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
  } else if (tag >= core::kTagWholeNote && tag <= core::kTagThirtySecondNote) {
    setDelayFromTempo(tag);
  }
}

int32_t QuilletPanel::controlModifierClicked(CDrawContext*, CControl*, int32_t) { return 0; }

void QuilletPanel::setDelayFromTempo(int32_t noteTag) {
  const float mode = controls[kNoteModeRow] ? controls[kNoteModeRow]->getValue() : 0.0f;
  const double tempo = host.hostTempo();
  // No usable tempo (none, 0, negative, not a number): nothing to set.
  if (!(tempo > 0.0) || tempo > 1.0e9) return;
  const double milliseconds = 60000.0 / tempo * noteBeats(noteTag) * noteModeFactor(mode);
  const DelaySetting setting = delayForTime(milliseconds);
  edit(engine::kParamDelay, setting.delay);
  edit(engine::kParamRange, setting.range);
  host.noteKeyChosen(noteBeats(noteTag) * noteModeFactor(mode));
}

}  // namespace quillet::editor
