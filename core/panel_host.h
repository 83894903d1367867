// What the panel needs from whatever hosts it. Each plug-in format implements
// this once (the VST 2.4 editor shell, the LV2 UI, and any later format), so
// the panel itself never sees a format's types.
//
// Threads: every call comes from the user-interface thread that runs the panel.
#pragma once

#include <cstdint>
#include <string>

namespace quillet::core {

// Tags of the panel's own controls, beyond the parameter indices 0 to 10. A
// note key's gesture sets "Delay" and "Range" together.
constexpr int32_t kTagWholeNote = 1001;
constexpr int32_t kTagThirtySecondNote = 1006;
constexpr int32_t kTagNoteMode = 1007;
// The name plate, where a host that takes taps of the tempo takes them.
constexpr int32_t kTagNamePlate = 1008;

class PanelHost {
 public:
  virtual ~PanelHost() = default;

  // The parameter's stored value, 0..1 (0 for an index outside the table).
  virtual float parameterValue(int32_t index) = 0;

  // A user gesture on the control with this tag: a parameter index, or a note
  // key's tag (a note-mode switch gesture sets nothing). Every performEdit of
  // the panel comes between a begin and its end. A format that announces
  // gestures per parameter brackets gestureParams(tag) (core/gesture_params.h).
  virtual void beginGesture(int32_t tag) = 0;
  virtual void endGesture(int32_t tag) = 0;

  // The user set a parameter: store it (clamped) and let the host know. The
  // panel shows parameterValue(index) at its next idle, so the host need not
  // report the value back.
  virtual void performEdit(int32_t index, float value) = 0;

  // The host's tempo in beats per minute; 0 when it gives none.
  virtual double hostTempo() = 0;

  // Called about every 50 ms while a control tracks the mouse, for hosts that
  // want to run their own idle work meanwhile (VST 2.4's audioMasterIdle).
  virtual void idleDuringGesture() {}

  // The panel is about to change its size to `width` x `height` pixels (the
  // user picked another scale, or the host's factor changed while it is
  // open). True when the host's window now has (or will get) that size: the
  // panel then redraws at it. False leaves the panel as it is; a choice the
  // user made applies at the next open. The panel's own size queries already
  // answer the new size during this call.
  virtual bool requestResize(int32_t /*width*/, int32_t /*height*/) { return false; }

  // ---- what a pedal adds (the standalone program; plug-ins keep these) ----

  // Whether the host takes taps of its tempo: then the T key and a press on
  // the name plate tap (and the panel's menu opens by a right-click or the
  // menu key only).
  virtual bool takesTaps() { return false; }
  virtual void tapTempo() {}
  // A note key set the echo to `quarterNotes` of the tempo (its mode
  // included: 0.75 is a dotted eighth).
  virtual void noteKeyChosen(double /*quarterNotes*/) {}

  // Whether the host learns MIDI controllers for the controls: then a
  // right-click on a control (tags 0-10) or on the name plate (the tap)
  // offers "Learn MIDI" and "Forget MIDI".
  virtual bool offersMidiLearn() { return false; }
  // What drives the control now ("cc 11"); empty for nothing.
  virtual std::string midiSourceOf(int32_t /*tag*/) { return ""; }
  // Whether the host waits for a controller to move for this control.
  virtual bool learningMidi(int32_t /*tag*/) { return false; }
  virtual void learnMidi(int32_t /*tag*/) {}
  virtual void forgetMidi(int32_t /*tag*/) {}
};

}  // namespace quillet::core
