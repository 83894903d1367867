#include "vst/brindle_fx.h"

#include <cstring>
#include <new>

#include "core/identity.h"
#include "core/param_table.h"
#include "vst/aeff_editor.h"
#include "vst/value_format.h"

namespace {

constexpr char kProgramName[] = "Default";

bool inTable(VstInt32 index) { return index >= 0 && index < quillet::core::kNumQuilletParams; }

}  // namespace

BrindleFX::BrindleFX(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, 0, quillet::core::kNumQuilletParams),
      core(new (std::nothrow) quillet::core::EchoCore) {
  if (core) core->setListener(this);
}

BrindleFX::~BrindleFX() = default;

void BrindleFX::setSampleRate(float rate) {
  AudioEffectX::setSampleRate(rate);
  core->setSampleRate(rate);
  sampleRateChanged(rate);
}

void BrindleFX::setParameter(VstInt32 index, float value) { core->setParameter(index, value); }

void BrindleFX::parameterStored(int32_t index, float value) {
  parameterChanged(index, value);
  if (editor) editor->setParameter(index, value);
}

float BrindleFX::getParameter(VstInt32 index) { return core->parameter(index); }

void BrindleFX::getProgramName(char* text) {
  quillet::vst::copyText(kProgramName, text, kVstMaxProgNameLen);
}

void BrindleFX::getParameterLabel(VstInt32 index, char* text) {
  if (!inTable(index)) return;
  quillet::vst::copyText(quillet::core::kQuilletParams[index].label, text, kVstMaxParamStrLen);
}

void BrindleFX::getParameterDisplay(VstInt32 index, char* text) {
  if (!inTable(index) || !text) return;
  float2string(core->parameter(index), text, kVstMaxParamStrLen);
}

void BrindleFX::getParameterName(VstInt32 index, char* text) {
  if (!inTable(index)) return;
  quillet::vst::copyText(quillet::core::kQuilletParams[index].name, text, kVstMaxParamStrLen);
}

VstInt32 BrindleFX::getChunk(void** data, bool /*isPreset*/) {
  if (!data) return 0;
  core->saveState(chunkBuffer);
  *data = chunkBuffer;
  return static_cast<VstInt32>(sizeof(chunkBuffer));
}

VstInt32 BrindleFX::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
  // A missing or short chunk is not ours and changes nothing; the answer is
  // 0 either way.
  if (byteSize > 0) core->loadState(data, static_cast<size_t>(byteSize));
  return 0;
}

bool BrindleFX::setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                      VstSpeakerArrangement* pluginOutput) {
  if (!pluginInput || !pluginOutput) return false;
  const VstInt32 in = pluginInput->numChannels;
  const VstInt32 out = pluginOutput->numChannels;
  core->setMonoIO(in == 1 && out == 1);
  return in == out && (in == 1 || in == 2);
}

bool BrindleFX::getVendorString(char* text) {
  if (!text) return false;
  quillet::vst::copyText(quillet::core::identity::kVendor, text, kVstMaxVendorStrLen);
  return true;
}

VstInt32 BrindleFX::canDo(char* text) {
  if (!text) return -1;
  for (uint16_t i = 0; i < canDoCount; ++i) {
    if (canDoList[i] && std::strcmp(canDoList[i], text) == 0) return 1;
  }
  return -1;
}
