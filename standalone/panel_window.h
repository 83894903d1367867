// The panel in a top-level window of its own: the same panel as in the
// plug-ins (its sizes from the same sources, the size menu, the keys), its
// values read from and stored into the core, the note keys reading the
// tempo of JACK's transport or else the pedal's own; and what the pedal adds:
// taps of the tempo (the T key, the name plate) and MIDI learning on each
// control's right-click menu. The window's title says how the program is
// linked to JACK and its tempo; closing the window ends the program.
//
// Threads: the main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/echo_core.h"
#include "core/panel_host.h"
#include "standalone/pedal.h"

namespace quillet::editor {
class QuilletPanel;
class X11KeyReader;
}  // namespace quillet::editor

namespace quillet::standalone {

class PanelWindow final : private quillet::core::PanelHost {
 public:
  // `transportTempo` gives the transport's tempo, 0 without one. Null, with
  // a one-line reason, when there is no display or the panel cannot open.
  static std::unique_ptr<PanelWindow> open(quillet::core::EchoCore& core, Pedal& pedal,
                                           std::function<double()> transportTempo,
                                           const std::string& title, std::string* error);
  ~PanelWindow() override;
  PanelWindow(const PanelWindow&) = delete;
  PanelWindow& operator=(const PanelWindow&) = delete;

  void setTitle(const std::string& title);
  // Readable when the window or the panel has events waiting.
  std::vector<int> fileDescriptors() const;
  // Reads the window's events and keys, moves controls of changed values
  // and redraws; call about 30 times a second and whenever a descriptor is
  // readable.
  void idle();
  // An idle after a round trip to the server: input it had before now (a
  // knob moved a moment ago) has reached the panel and the core. For the
  // last look before the values are saved.
  void catchUp();
  // Runs idle passes until the panel has drawn its window once (its
  // exposure comes on the panel's own X connection), at most `limitMs`
  // milliseconds; false if it has not by then.
  bool waitUntilDrawn(int limitMs);
  // The user closed the window (or it went away with the display).
  bool closed() const { return closeAsked; }
  // Every value may have changed (a state file reloaded): the controls
  // follow at the next idle.
  void showAllValues();
  // The values of these parameters (a bit per index) changed from elsewhere
  // (MIDI): their controls follow at the next idle.
  void showValues(uint32_t changed);

 private:
  PanelWindow(quillet::core::EchoCore& core, Pedal& pedal, std::function<double()> transportTempo);
  bool create(const std::string& title, std::string* error);

  // quillet::core::PanelHost: no host to tell of gestures; values go to the core.
  float parameterValue(int32_t index) override { return core.parameter(index); }
  void beginGesture(int32_t) override {}
  void endGesture(int32_t) override {}
  void performEdit(int32_t index, float value) override { core.setParameter(index, value); }
  double hostTempo() override { return pedal.noteKeyTempo(transportTempo()); }
  bool requestResize(int32_t width, int32_t height) override;
  // The pedal's part.
  bool takesTaps() override { return true; }
  void tapTempo() override { pedal.panelTap(transportTempo()); }
  void noteKeyChosen(double quarterNotes) override { pedal.noteChosen(quarterNotes); }
  bool offersMidiLearn() override { return true; }
  std::string midiSourceOf(int32_t tag) override { return pedal.sourceOf(tag); }
  bool learningMidi(int32_t tag) override { return pedal.learning(tag); }
  void learnMidi(int32_t tag) override { pedal.learn(tag); }
  void forgetMidi(int32_t tag) override { pedal.forget(tag); }

  quillet::core::EchoCore& core;
  Pedal& pedal;
  std::function<double()> transportTempo;
  void* display = nullptr;  // Display*, kept out of this header
  unsigned long window = 0;
  unsigned long deleteAtom = 0;
  bool closeAsked = false;
  std::unique_ptr<quillet::editor::QuilletPanel> panel;
  std::unique_ptr<quillet::editor::X11KeyReader> keys;  // null when keys cannot be read
};

}  // namespace quillet::standalone
