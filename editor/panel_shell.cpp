#include "editor/panel_shell.h"

#include "gui/cframe.h"
#include "platform/tick_count.h"

namespace quillet::editor {

int32_t PanelShell::knobMode = VSTGUI::kCircularMode;

PanelShell::PanelShell(core::PanelHost& host)
    : host(host), lastTicks(quillet::platform::tickCount()) {}

PanelShell::~PanelShell() { delete frame; }

void PanelShell::close() {
  VSTGUI::CFrame* old = frame;
  frame = nullptr;
  delete old;
}

void PanelShell::idle() {
  if (inIdleStuff || !frame) return;
  frame->handleEvents();
  frame->idle();
}

bool PanelShell::keyDown(VSTGUI::CKeyCode& key) {
  return frame && frame->onKeyDown(key) == VSTGUI::kKeyHandled;
}

bool PanelShell::keyUp(VSTGUI::CKeyCode& key) {
  return frame && frame->onKeyUp(key) == VSTGUI::kKeyHandled;
}

bool PanelShell::wheel(float distance) {
  if (!frame) return false;
  const VSTGUI::MouseState pointer = frame->queryMouse();
  return frame->onWheel(pointer.where, distance, pointer.buttons);
}

uintptr_t PanelShell::nativeWindow() const {
  return frame && frame->getPlatformWindow() ? frame->getPlatformWindow()->nativeHandle() : 0;
}

int PanelShell::eventFileDescriptor() const {
  return frame && frame->getPlatformWindow() ? frame->getPlatformWindow()->eventFileDescriptor()
                                             : -1;
}

bool PanelShell::windowGone() const {
  return !frame || !frame->getPlatformWindow() || frame->getPlatformWindow()->isGone();
}

void PanelShell::beginEdit(int32_t tag) { host.beginGesture(tag); }

void PanelShell::endEdit(int32_t tag) { host.endGesture(tag); }

void PanelShell::doIdleStuff() {
  // Unsigned 32-bit tick arithmetic, as the clock wraps.
  uint32_t now = quillet::platform::tickCount();
  if (now < lastTicks) {
    quillet::platform::sleepMilliseconds(4);
    now += 4;
    if (now < lastTicks - 50) return;
  }
  idle();
  if (frame) frame->processOnePaint();
  lastTicks = now + 100;
  inIdleStuff = true;
  host.idleDuringGesture();
  inIdleStuff = false;
}

}  // namespace quillet::editor
