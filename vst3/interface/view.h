// The plug-in's window as the host embeds it ("iplugview.h",
// "iplugviewcontentscalesupport.h"), and the run loop a Linux host lends to
// it. All calls come on the user-interface thread.
#pragma once

#include "vst3/interface/base.h"

namespace quillet::vst3 {

struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};

// What attached()'s parent is: an X11 window that takes XEmbed children on
// Linux, an HWND on Windows.
constexpr const char8* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char8* kPlatformTypeHWND = "HWND";

class IPlugFrame;

// The host creates the view with IEditController::createView, gives it a frame
// (setFrame) and then attaches it to its window. Keys come from the host
// (onKeyDown answers kResultTrue only for keys it used). The view resizes its
// own window only in onSize.
class IPlugView : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult QUILLET_VST3_CALL attached(void* parent, FIDString type) = 0;
  virtual tresult QUILLET_VST3_CALL removed() = 0;
  virtual tresult QUILLET_VST3_CALL onWheel(float distance) = 0;
  virtual tresult QUILLET_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult QUILLET_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
  virtual tresult QUILLET_VST3_CALL getSize(ViewRect* size) = 0;
  virtual tresult QUILLET_VST3_CALL onSize(ViewRect* newSize) = 0;
  virtual tresult QUILLET_VST3_CALL onFocus(TBool state) = 0;
  virtual tresult QUILLET_VST3_CALL setFrame(IPlugFrame* frame) = 0;
  virtual tresult QUILLET_VST3_CALL canResize() = 0;
  virtual tresult QUILLET_VST3_CALL checkSizeConstraint(ViewRect* rect) = 0;
  QUILLET_VST3_IID(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

 protected:
  ~IPlugView() = default;
};

// The host's side of the view. On Linux the same object answers IRunLoop.
class IPlugFrame : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL resizeView(IPlugView* view, ViewRect* newSize) = 0;
  QUILLET_VST3_IID(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

 protected:
  ~IPlugFrame() = default;
};

// Hosts that scale their windows tell the view the factor (1.0, 1.5, 2.0...).
class IPlugViewContentScaleSupport : public FUnknown {
 public:
  using ScaleFactor = float;
  virtual tresult QUILLET_VST3_CALL setContentScaleFactor(ScaleFactor factor) = 0;
  QUILLET_VST3_IID(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);

 protected:
  ~IPlugViewContentScaleSupport() = default;
};

// Linux has no process-wide event loop a plug-in could join, so the host
// lends its own: the view registers a file descriptor (its X connection) to be
// called when readable, and timers called repeatedly until unregistered.
// Both callbacks come on the user-interface thread.
using TimerInterval = uint64;  // milliseconds
using FileDescriptor = int;

class IEventHandler : public FUnknown {
 public:
  virtual void QUILLET_VST3_CALL onFDIsSet(FileDescriptor fd) = 0;
  QUILLET_VST3_IID(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

 protected:
  ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
 public:
  virtual void QUILLET_VST3_CALL onTimer() = 0;
  QUILLET_VST3_IID(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

 protected:
  ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
 public:
  virtual tresult QUILLET_VST3_CALL registerEventHandler(IEventHandler* handler,
                                                         FileDescriptor fd) = 0;
  virtual tresult QUILLET_VST3_CALL unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult QUILLET_VST3_CALL registerTimer(ITimerHandler* handler,
                                                  TimerInterval milliseconds) = 0;
  virtual tresult QUILLET_VST3_CALL unregisterTimer(ITimerHandler* handler) = 0;
  QUILLET_VST3_IID(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

 protected:
  ~IRunLoop() = default;
};

}  // namespace quillet::vst3
