#include "vst/audio_effect.h"

#include <cstring>

#include "vst/aeff_editor.h"
#include "vst/value_format.h"

namespace {

AudioEffect* effectOf(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

constexpr VstInt32 kNoEffectId = fourCharCode('N', 'o', 'E', 'f');
constexpr VstInt32 kIdentifyAnswer = fourCharCode('N', 'v', 'E', 'f');

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(numPrograms),
      numParams(numParams),
      curProgram(0) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEffectClass;
  cEffect.process = processClass;
  cEffect.setParameter = setParameterClass;
  cEffect.getParameter = getParameterClass;
  cEffect.numPrograms = numPrograms;
  cEffect.numParams = numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.ioRatio = 1.0f;
  cEffect.object = this;
  cEffect.uniqueID = kNoEffectId;
  cEffect.version = 1;
  cEffect.processReplacing = processClassReplacing;
  cEffect.processDoubleReplacing = processClassDoubleReplacing;
  canProcessReplacing(true);
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setEditor(AEffEditor* newEditor) {
  editor = newEditor;
  setFlag(effFlagsHasEditor, true);
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  if (!audioMaster) return 0;
  return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) {
  // Negative opcodes count as large unsigned numbers and fall through to 0.
  switch (static_cast<uint32_t>(opcode)) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      if (value < numPrograms) setProgram(static_cast<VstInt32>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (ptr) setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr) getProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetParamLabel:
      if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamDisplay:
      if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamName:
      if (ptr) getParameterName(index, static_cast<char*>(ptr));
      return 0;
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<VstInt32>(value));
      return 0;
    case effMainsChanged:
      if (value == 0)
        suspend();
      else
        resume();
      return 0;
    case effEditGetRect:
      if (!editor || !ptr) return 0;
      return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
      if (!editor) return 0;
      return editor->open(ptr) ? 1 : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return kIdentifyAnswer;
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
      // effGetVu, the deprecated editor opcodes and everything unknown.
      return 0;
  }
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name) {
  if (name) name[0] = '\0';
}
void AudioEffect::getParameterLabel(VstInt32 /*index*/, char* label) {
  if (label) label[0] = '\0';
}
void AudioEffect::getParameterDisplay(VstInt32 /*index*/, char* text) {
  if (text) text[0] = '\0';
}
void AudioEffect::getParameterName(VstInt32 /*index*/, char* text) {
  if (text) text[0] = '\0';
}

VstInt32 AudioEffect::getMasterVersion() {
  if (!audioMaster) return 1;
  const VstInt32 version = static_cast<VstInt32>(callHost(audioMasterVersion));
  return version == 0 ? 1 : version;
}

VstInt32 AudioEffect::getCurrentUniqueId() {
  return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(VstInt32 input) {
  if (!audioMaster) return true;
  return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output) {
  if (!audioMaster) return true;
  return callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
  quillet::vst::float2string(value, text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
  quillet::vst::int2string(value, text, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
  if (quillet::vst::dBIsMinusInfinity(value)) return quillet::vst::copyText("-oo", text, maxLen);
  float2string(quillet::vst::dBValue(value), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
  float2string(quillet::vst::hzValue(samples, getSampleRate()), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
  float2string(quillet::vst::msValue(samples, getSampleRate()), text, maxLen);
}

// The record's entries. The audio and parameter ones are a single indirect
// call: hosts call them on the audio thread.
// No exception may reach the host: the library carries its own run-time, so
// the host could not even catch it. Whatever an opcode throws (the allocator
// running dry while the editor builds its panel, say) is answered with 0.
VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
  if (!e || !e->object) return 0;
  AudioEffect* effect = effectOf(e);
  if (opcode == effClose) {
    try {
      effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
    }
    delete effect;
    return 1;
  }
  try {
    return effect->dispatcher(opcode, index, value, ptr, opt);
  } catch (...) {
    return 0;
  }
}

void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
  effectOf(e)->process(inputs, outputs, sampleFrames);
}

void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames) {
  effectOf(e)->processReplacing(inputs, outputs, sampleFrames);
}

void processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                 VstInt32 sampleFrames) {
  effectOf(e)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void setParameterClass(AEffect* e, VstInt32 index, float value) {
  try {
    effectOf(e)->setParameter(index, value);
  } catch (...) {
  }
}

float getParameterClass(AEffect* e, VstInt32 index) { return effectOf(e)->getParameter(index); }
