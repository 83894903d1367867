#include "vst3/echo_view.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "core/gesture_params.h"
#include "gui/key_code.h"
#include "vst3/echo_controller.h"

namespace quillet::vst3 {

namespace {

#if defined(_WIN32)
constexpr const char8* kOwnPlatformType = kPlatformTypeHWND;
#else
constexpr const char8* kOwnPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

// A VST3 key in the panel's form: the virtual key codes (up to the
// context-menu key) and modifier bits are numbered as the panel numbers them.
VSTGUI::CKeyCode panelKey(char16 key, int16 keyCode, int16 modifiers) {
  VSTGUI::CKeyCode out;
  if (keyCode > 0 && keyCode <= VSTGUI::VKEY_CONTEXTMENU)
    out.virt = static_cast<uint8_t>(keyCode);
  else
    out.character = key;
  out.modifier = static_cast<uint8_t>(modifiers & 0x0F);
  return out;
}

}  // namespace

IPlugView* EchoView::create(EchoController* controller) {
  if (!controller) return nullptr;
  auto* view = new (std::nothrow) EchoView(controller);
  return view;
}

EchoView::EchoView(EchoController* controller) : controller(controller), panel(*this) {
  controller->addRef();
  controller->viewOpened(this);
}

EchoView::~EchoView() {
  removed();
  controller->viewClosed(this);
  controller->release();
}

uint32 EchoView::release() {
  const uint32 left = refs.drop();
  if (left == 0) delete this;
  return left;
}

tresult EchoView::queryInterface(const char8* iidBytes, void** obj) {
  if (!obj || !iidBytes) return kInvalidArgument;
  if (FUnknown::iid.equals(iidBytes)) {
    addRef();
    *obj = static_cast<IPlugView*>(this);
    return kResultOk;
  }
  if (offerInterface<IPlugView>(iidBytes, this, obj) ||
      offerInterface<IPlugViewContentScaleSupport>(iidBytes, this, obj) ||
      offerInterface<IEventHandler>(iidBytes, this, obj) ||
      offerInterface<ITimerHandler>(iidBytes, this, obj))
    return kResultOk;
  return noInterface(obj);
}

tresult EchoView::isPlatformTypeSupported(FIDString type) {
  return type && std::strcmp(type, kOwnPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult EchoView::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
  if (panel.isOpen()) return kResultFalse;  // attached already
  if (!panel.open(parent)) return kResultFalse;
  // Without idling the panel would never draw: a host that offers no way to
  // idle gets no panel.
  if (!startIdling()) {
    panel.close();
    return kResultFalse;
  }
  return kResultOk;
}

bool EchoView::startIdling() {
#if defined(_WIN32)
  // The window joins the panel at its first idle.
  panel.idle();
  return windowTimer.start(panel.nativeWindow(), kIdleMilliseconds, [this] { idle(); });
#else
  void* found = nullptr;
  if (!frame || frame->queryInterface(IRunLoop::iid.bytes, &found) != kResultOk || !found)
    return false;
  runLoop = static_cast<IRunLoop*>(found);
  const int fd = panel.eventFileDescriptor();
  fdRegistered = fd >= 0 && runLoop->registerEventHandler(this, fd) == kResultOk;
  timerRegistered = runLoop->registerTimer(this, kIdleMilliseconds) == kResultOk;
  if (!timerRegistered && !fdRegistered) {
    stopIdling();
    return false;
  }
  idle();
  return true;
#endif
}

void EchoView::stopIdling() {
  windowTimer.stop();
  if (runLoop) {
    if (fdRegistered) runLoop->unregisterEventHandler(this);
    if (timerRegistered) runLoop->unregisterTimer(this);
    runLoop->release();
  }
  runLoop = nullptr;
  fdRegistered = timerRegistered = false;
}

tresult EchoView::removed() {
  stopIdling();
  panel.close();
  return kResultOk;
}

void EchoView::idle() {
  if (panel.isOpen() && !panel.windowGone()) panel.idle();
}

void EchoView::onFDIsSet(FileDescriptor /*fd*/) { idle(); }
void EchoView::onTimer() { idle(); }

tresult EchoView::onWheel(float distance) {
  return panel.isOpen() && panel.wheel(distance) ? kResultTrue : kResultFalse;
}

tresult EchoView::onKeyDown(char16 key, int16 keyCode, int16 modifiers) {
  VSTGUI::CKeyCode code = panelKey(key, keyCode, modifiers);
  return panel.isOpen() && panel.keyDown(code) ? kResultTrue : kResultFalse;
}

tresult EchoView::onKeyUp(char16 key, int16 keyCode, int16 modifiers) {
  VSTGUI::CKeyCode code = panelKey(key, keyCode, modifiers);
  return panel.isOpen() && panel.keyUp(code) ? kResultTrue : kResultFalse;
}

tresult EchoView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = ViewRect{0, 0, panel.width(), panel.height()};
  return kResultOk;
}

tresult EchoView::setContentScaleFactor(ScaleFactor factor) {
  // Zero, negative, infinite or NaN is no factor: refused, and the panel
  // keeps the one it has.
  if (!std::isfinite(factor) || factor <= 0.0f) return kResultFalse;
  panel.setHostScale(factor);
  return kResultTrue;
}

bool EchoView::requestResize(int32_t width, int32_t height) {
  ViewRect size{0, 0, width, height};
  return frame && frame->resizeView(this, &size) == kResultOk;
}

tresult EchoView::onSize(ViewRect* newSize) {
  if (!newSize) return kInvalidArgument;
  // The panel's size only (asked for by requestResize, or as it is): any
  // other is answered with false and changes nothing. In 64 bits, as a
  // rectangle's sides may lie anywhere in 32.
  const int64_t width = int64_t{newSize->right} - newSize->left;
  const int64_t height = int64_t{newSize->bottom} - newSize->top;
  return width == panel.width() && height == panel.height() ? kResultOk : kResultFalse;
}

tresult EchoView::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  // A rectangle of negative size is no size to adjust; one whose corner
  // would lie beyond 32 bits at the panel's size cannot take it. Both are
  // refused and left as they are.
  const int64_t width = int64_t{rect->right} - rect->left;
  const int64_t height = int64_t{rect->bottom} - rect->top;
  const int64_t right = int64_t{rect->left} + panel.width();
  const int64_t bottom = int64_t{rect->top} + panel.height();
  if (width < 0 || height < 0 || right > std::numeric_limits<int32>::max() ||
      bottom > std::numeric_limits<int32>::max())
    return kResultFalse;
  rect->right = static_cast<int32>(right);
  rect->bottom = static_cast<int32>(bottom);
  return kResultOk;
}

tresult EchoView::setFrame(IPlugFrame* newFrame) {
  // Not owned: the host keeps its frame alive while the view is attached.
  frame = newFrame;
  return kResultOk;
}

float EchoView::parameterValue(int32_t index) { return controller->echoValue(index); }

void EchoView::beginGesture(int32_t tag) {
  const core::GestureParams params = core::gestureParams(tag);
  for (int32_t i = 0; i < params.count; ++i) controller->beginEdit(params.indices[i]);
}

void EchoView::endGesture(int32_t tag) {
  const core::GestureParams params = core::gestureParams(tag);
  for (int32_t i = params.count - 1; i >= 0; --i) controller->endEdit(params.indices[i]);
}

void EchoView::performEdit(int32_t index, float value) { controller->performEdit(index, value); }

double EchoView::hostTempo() { return controller->hostTempo(); }

}  // namespace quillet::vst3
