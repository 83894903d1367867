// The panel as the host embeds it: an IPlugView over the format-free panel,
// and the panel's host (PanelHost) over the controller. The user's gestures
// reach the host as beginEdit, performEdit and endEdit around each gesture (a
// note key's: "Delay" and "Range" together); the note keys take the tempo the
// host gave the processor with its blocks.
//
// The panel runs on the host's user-interface thread, with no thread of its
// own. On Linux the host lends its run loop (IRunLoop, from the frame it gives
// in setFrame): the view registers the X connection's file descriptor, to read
// events when they come, and a timer for redraws. On Windows the window gets
// its events from the system; a window timer paces the redraws.
//
// The panel's size is the panel's own (586 by 385 pixels at scale 1; the
// scale from the user's choice, the host's factor or the desktop): the host
// cannot resize it freely (canResize answers false), the view asks the host
// for a new size when the panel changes its scale (IPlugFrame::resizeView),
// and a host's content scale factor reaches the panel as the host's factor.
#pragma once

#include <cstdint>

#include "core/panel_host.h"
#include "editor/quillet_panel.h"
#include "vst3/interface/view.h"
#include "vst3/unknown_support.h"
#include "vst3/window_timer.h"

namespace quillet::vst3 {

class EchoController;

class EchoView final : public IPlugView,
                       public IPlugViewContentScaleSupport,
                       public IEventHandler,
                       public ITimerHandler,
                       private core::PanelHost {
 public:
  // A new view of the controller's parameters with one reference, or null.
  static IPlugView* create(EchoController* controller);

  static constexpr uint32 kIdleMilliseconds = 20;

  tresult QUILLET_VST3_CALL queryInterface(const char8* iidBytes, void** obj) override;
  uint32 QUILLET_VST3_CALL addRef() override { return refs.add(); }
  uint32 QUILLET_VST3_CALL release() override;

  // IPlugView
  tresult QUILLET_VST3_CALL isPlatformTypeSupported(FIDString type) override;
  tresult QUILLET_VST3_CALL attached(void* parent, FIDString type) override;
  tresult QUILLET_VST3_CALL removed() override;
  tresult QUILLET_VST3_CALL onWheel(float distance) override;
  tresult QUILLET_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) override;
  tresult QUILLET_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) override;
  tresult QUILLET_VST3_CALL getSize(ViewRect* size) override;
  tresult QUILLET_VST3_CALL onSize(ViewRect* newSize) override;
  tresult QUILLET_VST3_CALL onFocus(TBool /*state*/) override { return kResultOk; }
  tresult QUILLET_VST3_CALL setFrame(IPlugFrame* frame) override;
  tresult QUILLET_VST3_CALL canResize() override { return kResultFalse; }
  tresult QUILLET_VST3_CALL checkSizeConstraint(ViewRect* rect) override;

  // IPlugViewContentScaleSupport: the host's factor (1, 1.5, 2...).
  tresult QUILLET_VST3_CALL setContentScaleFactor(ScaleFactor factor) override;

  // IEventHandler, ITimerHandler: the host's run loop calls these.
  void QUILLET_VST3_CALL onFDIsSet(FileDescriptor fd) override;
  void QUILLET_VST3_CALL onTimer() override;

  // The controller's value of a parameter changed (any thread): the panel
  // shows it at its next idle.
  void parameterChanged(int32 index) { panel.parameterChanged(index); }

  // For tests: the panel itself.
  editor::QuilletPanel& panelForTests() { return panel; }

 private:
  explicit EchoView(EchoController* controller);
  ~EchoView();

  void idle();
  bool startIdling();
  void stopIdling();

  // PanelHost
  float parameterValue(int32_t index) override;
  void beginGesture(int32_t tag) override;
  void endGesture(int32_t tag) override;
  void performEdit(int32_t index, float value) override;
  double hostTempo() override;
  bool requestResize(int32_t width, int32_t height) override;

  RefCount refs;
  EchoController* controller;  // a reference held for the view's life
  IPlugFrame* frame = nullptr;
  IRunLoop* runLoop = nullptr;  // a reference held while attached
  bool fdRegistered = false;
  bool timerRegistered = false;
  WindowTimer windowTimer;
  editor::QuilletPanel panel;
};

}  // namespace quillet::vst3
