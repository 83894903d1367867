#include "standalone/pedal.h"

#include <cstdio>

#include "core/panel_host.h"
#include "core/param_table.h"
#include "standalone/midi/midi_map_file.h"

namespace quillet::standalone {

namespace {

// The map's name for the panel's control.
int32_t controlOf(int32_t tag) { return tag == quillet::core::kTagNamePlate ? kLearnTap : tag; }

std::string controlName(int32_t control) {
  return control == kLearnTap ? "the tap" : core::kQuilletParams[control].name;
}

bool isLearnable(int32_t tag) {
  return tag == quillet::core::kTagNamePlate || (tag >= 0 && tag < core::kNumQuilletParams);
}

std::string bpmText(double bpm) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f bpm", bpm);
  return text;
}

}  // namespace

Pedal::Pedal(quillet::core::EchoCore& core, Say say, Say complain)
    : core(core),
      say(std::move(say)),
      complain(std::move(complain)),
      map(MidiMap::defaults()),
      midi(table, ownTempo, core) {
  table.publish(map);
}

void Pedal::loadMap(const std::string& path, bool reload) {
  mapPath = path;
  MidiMapRead read = readMidiMapFile(path);
  for (const std::string& problem : read.problems) complain(problem);
  map = read.map;
  table.publish(map);
  if (reload)
    say(read.found ? "reloaded the MIDI map " + path
                   : "no MIDI map " + path + ": the default map holds");
}

void Pedal::startAt(double bpm) {
  if (!ownTempo.set(bpm, TempoSource::kOption)) return;
  const DelaySetting echo = ownTempo.echoAt(bpm);
  core.setParameter(engine::kParamDelay, echo.delay);
  core.setParameter(engine::kParamRange, echo.range);
}

void Pedal::panelTap(double transportTempo) {
  const auto now = std::chrono::steady_clock::now() - tapClockStart;
  const double bpm = panelTaps.tap(
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
  if (bpm <= 0.0 || !ownTempo.set(bpm, TempoSource::kTap) || transportTempo > 0.0) return;
  const DelaySetting echo = ownTempo.echoAt(bpm);
  core.setParameter(engine::kParamDelay, echo.delay);
  core.setParameter(engine::kParamRange, echo.range);
}

double Pedal::noteKeyTempo(double transportTempo) const {
  return transportTempo > 0.0 ? transportTempo : ownTempo.bpm();
}

void Pedal::learn(int32_t tag) {
  if (isLearnable(tag)) midi.control().learn(controlOf(tag));
}

void Pedal::forget(int32_t tag) {
  if (!isLearnable(tag)) return;
  int32_t armed = 0;
  if (midi.control().learningControl(&armed) && armed == controlOf(tag))
    midi.control().stopLearning();
  if (!map.forget(controlOf(tag))) return;
  table.publish(map);
  say(controlName(controlOf(tag)) + " follows no MIDI now");
  save();
}

bool Pedal::learning(int32_t tag) {
  int32_t armed = 0;
  return isLearnable(tag) && midi.control().learningControl(&armed) && armed == controlOf(tag);
}

std::string Pedal::sourceOf(int32_t tag) const {
  if (!isLearnable(tag)) return "";
  const MidiBinding* binding = map.bindingOf(controlOf(tag));
  return binding ? sourceText(binding->source) : "";
}

bool Pedal::idle() {
  MidiSource source;
  int32_t control = 0;
  if (!midi.control().takeLearned(&source, &control)) return false;
  if (!map.learn(source, control)) return true;
  table.publish(map);
  say(controlName(control) + " follows " + sourceText(source));
  save();
  return true;
}

void Pedal::save() {
  if (mapPath.empty()) {
    complain("no home folder for the MIDI map: the binding holds until the program ends");
    return;
  }
  if (!writeMidiMapFile(mapPath, map))
    complain("could not save the MIDI map to " + mapPath + "; the binding holds until the end");
}

std::string Pedal::tempoText(double transportTempo) const {
  if (transportTempo > 0.0) return bpmText(transportTempo) + " (JACK transport)";
  if (ownTempo.bpm() > 0.0)
    return bpmText(ownTempo.bpm()) +
           (ownTempo.source() == TempoSource::kOption ? " (--bpm)" : " (tap)");
  return "";
}

std::string Pedal::learningText() {
  int32_t armed = 0;
  if (!midi.control().learningControl(&armed)) return "";
  return "learning MIDI for " + controlName(armed) + ": move a controller";
}

std::string Pedal::titleText(double transportTempo) {
  const std::string learningNow = learningText(), tempoNow = tempoText(transportTempo);
  return learningNow + (learningNow.empty() || tempoNow.empty() ? "" : " - ") + tempoNow;
}

}  // namespace quillet::standalone
