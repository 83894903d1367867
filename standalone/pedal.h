// What makes the program a pedal: the MIDI map (its file, the table the
// audio thread reads, learning from the panel), the program's own tempo
// (taps, --bpm, its file) and what the panel shows of them. Owned by the
// program; JACK's audio thread reaches it only through midiInput() and the
// tempo's atomics.
//
// Threads: the main thread, but for midiInput(), which the audio thread runs.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "core/echo_core.h"
#include "standalone/midi/midi_input.h"
#include "standalone/midi/midi_map.h"
#include "standalone/midi/midi_table.h"
#include "standalone/pedal_tempo.h"
#include "standalone/tap_tempo.h"

namespace quillet::standalone {

class Pedal {
 public:
  // How the pedal speaks: a line for the terminal, a line for standard error.
  using Say = std::function<void(const std::string&)>;

  Pedal(quillet::core::EchoCore& core, Say say, Say complain);
  Pedal(const Pedal&) = delete;
  Pedal& operator=(const Pedal&) = delete;

  MidiInput& midiInput() { return midi; }
  PedalTempo& tempo() { return ownTempo; }

  // The map from `path` (empty: the default map, nothing saved), each line
  // left out said; a reload says what holds now.
  void loadMap(const std::string& path, bool reload);

  // --bpm: the tempo, and the echo on the followed note at it.
  void startAt(double bpm);

  // The panel's tap (the T key, the name plate). `transportTempo` is JACK's
  // (0 for none), which wins: then the tap only sets our own tempo.
  void panelTap(double transportTempo);
  // A note key chose the note the echo follows.
  void noteChosen(double quarterNotes) { ownTempo.follow(quarterNotes); }
  // The tempo the note keys follow: the transport's, else our own; 0 for none.
  double noteKeyTempo(double transportTempo) const;

  // Learning, from the panel: a parameter tag (0-10) or the name plate's
  // (the tap).
  void learn(int32_t tag);
  void forget(int32_t tag);
  bool learning(int32_t tag);
  std::string sourceOf(int32_t tag) const;

  // The main loop's turn: a source learned on the audio thread goes into
  // the map and its file. True when something the title shows changed.
  bool idle();

  // "120.0 bpm (tap)", "98.0 bpm (JACK transport)"; empty for no tempo.
  std::string tempoText(double transportTempo) const;
  // "learning MIDI for Repeat: move a controller"; empty while not learning.
  std::string learningText();
  // Both, for the window's title.
  std::string titleText(double transportTempo);

 private:
  void save();

  quillet::core::EchoCore& core;
  Say say, complain;
  MidiMap map;
  std::string mapPath;
  MidiTable table;
  PedalTempo ownTempo;
  MidiInput midi;
  TapTempo panelTaps{1e6};  // microseconds of the steady clock
  std::chrono::steady_clock::time_point tapClockStart = std::chrono::steady_clock::now();
};

}  // namespace quillet::standalone
