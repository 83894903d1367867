#include "host/plugin/vst3/vst3_audio_plugin.h"

namespace quillet::host::vst3 {

namespace {

std::string text(const String128 from) {
  std::string out;
  for (size_t i = 0; i < 128 && from[i]; ++i)
    out.push_back(from[i] < 0x80 ? static_cast<char>(from[i]) : '?');
  return out;
}

}  // namespace

Vst3AudioPlugin::Vst3AudioPlugin(Vst3Instance& instance) : instance(instance) {
  for (int32 i = 0; i < instance.parameterCount(); ++i) {
    ParameterInfo info{};
    if (!instance.parameterInfo(i, &info)) continue;
    ids.push_back(info.id);
    names.push_back(text(info.title));
  }
}

std::string Vst3AudioPlugin::parameterName(uint32_t index) {
  return index < names.size() ? names[index] : "";
}

void Vst3AudioPlugin::setParameter(uint32_t index, float value) {
  if (index >= ids.size()) return;
  instance.queueChange(ids[index], value);
  if (!instance.processing() && instance.controller())
    instance.controller()->setParamNormalized(ids[index], value);
}

bool Vst3AudioPlugin::setParameterAt(uint32_t index, float value, uint32_t frame) {
  if (index >= ids.size() || !instance.processing()) return false;
  instance.queueChange(ids[index], value, static_cast<int32>(frame));
  return true;
}

std::string Vst3AudioPlugin::cannotProcess(bool doublePrecision) const {
  return instance.processor()->canProcessSampleSize(doublePrecision ? kSample64 : kSample32) ==
                 kResultTrue
             ? ""
         : doublePrecision ? "the plug-in does not offer 64-bit processing"
                           : "the plug-in does not offer 32-bit processing";
}

void Vst3AudioPlugin::startProcessing(double sampleRate, uint32_t maxBlock, bool doublePrecision,
                                      double tempo) {
  instance.setTempo(tempo);
  instance.setPosition(0);
  if (!instance.start(sampleRate, static_cast<int32>(maxBlock), doublePrecision, kOffline,
                      &problem))
    return;
  problem.clear();
  // Values set before processing reach the processor in a block of their
  // own, before any audio, as a DAW flushes them while its transport stands.
  if (instance.hasQueuedChanges()) {
    if (doublePrecision)
      instance.process(static_cast<double**>(nullptr), nullptr, 0);
    else
      instance.process(static_cast<float**>(nullptr), nullptr, 0);
  }
}

void Vst3AudioPlugin::moveTransport(uint64_t frame) {
  instance.setPosition(static_cast<int64>(frame));
}

void Vst3AudioPlugin::process(float** inputs, float** outputs, uint32_t frames) {
  if (instance.processing() &&
      instance.process(inputs, outputs, static_cast<int32>(frames)) != kResultOk)
    problem = "process refused a block of " + std::to_string(frames) + " frames";
}

void Vst3AudioPlugin::process(double** inputs, double** outputs, uint32_t frames) {
  if (instance.processing() &&
      instance.process(inputs, outputs, static_cast<int32>(frames)) != kResultOk)
    problem = "process refused a block of " + std::to_string(frames) + " frames";
}

void Vst3AudioPlugin::stopProcessing() { instance.stop(); }

}  // namespace quillet::host::vst3
