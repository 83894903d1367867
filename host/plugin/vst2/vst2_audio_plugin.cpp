#include "host/plugin/vst2/vst2_audio_plugin.h"

#include <algorithm>

#include "host/plugin/vst2/opened_plugin.h"
#include "host/plugin/vst2/plugin_text.h"

namespace quillet::host {

namespace {

bool replaces(const AEffect* e) { return (e->flags & effFlagsCanReplacing) && e->processReplacing; }

}  // namespace

size_t Vst2AudioPlugin::inputCount() const {
  return isOpen() ? static_cast<size_t>(std::max(0, plugin.effect()->numInputs)) : 0;
}

size_t Vst2AudioPlugin::outputCount() const {
  return isOpen() ? static_cast<size_t>(std::max(0, plugin.effect()->numOutputs)) : 0;
}

uint32_t Vst2AudioPlugin::parameterCount() const {
  return isOpen() ? static_cast<uint32_t>(std::max(0, plugin.effect()->numParams)) : 0;
}

std::string Vst2AudioPlugin::parameterName(uint32_t index) {
  return quillet::host::parameterName(plugin, static_cast<VstInt32>(index));
}

void Vst2AudioPlugin::setParameter(uint32_t index, float value) {
  AEffect* e = plugin.effect();
  e->setParameter(e, static_cast<VstInt32>(index), value);
}

std::string Vst2AudioPlugin::cannotProcess(bool doublePrecision) const {
  const AEffect* e = plugin.effect();
  if (!e) return "the plug-in is closed";
  if (doublePrecision && (!(e->flags & effFlagsCanDoubleReplacing) || !e->processDoubleReplacing))
    return "the plug-in does not offer 64-bit processing";
  if (!doublePrecision && !replaces(e) && !e->process) return "the plug-in offers no process entry";
  return "";
}

void Vst2AudioPlugin::startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                                      double tempo) {
  plugin.host().setTempo(tempo);
  plugin.dispatch(effSetProcessPrecision, 0,
                  doublePrecision ? kVstProcessPrecision64 : kVstProcessPrecision32);
  quillet::host::startProcessing(plugin, sampleRate, static_cast<VstInt32>(maxBlock));
}

void Vst2AudioPlugin::moveTransport(uint64_t frame) {
  plugin.host().setSamplePosition(static_cast<double>(frame));
}

void Vst2AudioPlugin::process(float** inputs, float** outputs, uint32_t frames) {
  AEffect* e = plugin.effect();
  // The accumulating entry of old plug-ins adds to the cleared outputs.
  if (replaces(e))
    e->processReplacing(e, inputs, outputs, static_cast<VstInt32>(frames));
  else
    e->process(e, inputs, outputs, static_cast<VstInt32>(frames));
}

void Vst2AudioPlugin::process(double** inputs, double** outputs, uint32_t frames) {
  AEffect* e = plugin.effect();
  e->processDoubleReplacing(e, inputs, outputs, static_cast<VstInt32>(frames));
}

void Vst2AudioPlugin::stopProcessing() { quillet::host::stopProcessing(plugin); }

}  // namespace quillet::host
