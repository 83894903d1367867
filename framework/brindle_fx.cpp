#include "framework/brindle_fx.h"

#include <cmath>
#include <cstring>
#include <new>

#include "editor/aeff_editor.h"
#include "vst/value_format.h"

namespace {

constexpr char kVendor[] = "Marrow Ledge";
constexpr char kProgramName[] = "Default";

// Chunk values are little-endian IEEE floats, whatever the machine.
float readLittleEndianFloat(const uint8_t* p) {
  const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void writeLittleEndianFloat(float value, uint8_t* p) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  p[0] = static_cast<uint8_t>(bits);
  p[1] = static_cast<uint8_t>(bits >> 8);
  p[2] = static_cast<uint8_t>(bits >> 16);
  p[3] = static_cast<uint8_t>(bits >> 24);
}

}  // namespace

BrindleFX::BrindleFX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : AudioEffectX(audioMaster, numPrograms, numParams),
      canDoList(nullptr),
      params(nullptr),
      paramCount(0),
      canDoCount(0),
      monoIO(0),
      chunkBuffer(nullptr) {
  if (numParams > 0 && numParams <= 0xffff) {
    // Zero-filled; without a table the effect is unusable and the entry point
    // hands out nothing. The chunk buffer is taken now too, so getChunk never
    // allocates and two threads asking a fresh effect share one buffer.
    params = new (std::nothrow) ParamEntry[numParams]();
    chunkBuffer = new (std::nothrow) uint8_t[4 * static_cast<size_t>(numParams)];
    if (params && chunkBuffer) {
      paramCount = static_cast<uint16_t>(numParams);
    } else {
      delete[] params;
      delete[] chunkBuffer;
      params = nullptr;
      chunkBuffer = nullptr;
    }
  }
}

BrindleFX::~BrindleFX() {
  delete[] chunkBuffer;
  delete[] params;
}

void BrindleFX::setSampleRate(float rate) {
  AudioEffectX::setSampleRate(rate);
  sampleRateChanged(rate);
}

void BrindleFX::setParameter(VstInt32 index, float value) {
  if (index < 0 || index >= paramCount) return;
  storeParameter(index, value);
}

void BrindleFX::storeParameter(VstInt32 index, float value) {
  // NaN has no place on a 0..1 scale: the parameter keeps its value and
  // nobody is told. Infinities clamp like any other out-of-range value.
  if (std::isnan(value)) return;
  if (value < 0.0f) value = 0.0f;
  if (value > 1.0f) value = 1.0f;
  params[index].value = value;
  parameterChanged(index, params[index].value);
  if (editor) editor->setParameter(index, params[index].value);
}

float BrindleFX::getParameter(VstInt32 index) {
  if (index < 0 || index >= paramCount) return 0.0f;
  return params[index].value;
}

void BrindleFX::getProgramName(char* text) {
  valueformat::copyText(kProgramName, text, kVstMaxProgNameLen);
}

void BrindleFX::getParameterLabel(VstInt32 index, char* text) {
  if (index < 0 || index >= paramCount) return;
  valueformat::copyText(params[index].label, text, kVstMaxParamStrLen);
}

void BrindleFX::getParameterDisplay(VstInt32 index, char* text) {
  if (index < 0 || index >= paramCount || !text) return;
  float2string(params[index].value, text, kVstMaxParamStrLen);
}

void BrindleFX::getParameterName(VstInt32 index, char* text) {
  if (index < 0 || index >= paramCount) return;
  valueformat::copyText(params[index].name, text, kVstMaxParamStrLen);
}

VstInt32 BrindleFX::getChunk(void** data, bool /*isPreset*/) {
  if (paramCount == 0 || !data) return 0;
  const VstInt32 size = 4 * paramCount;
  // One buffer for the effect's whole life, taken at construction.
  for (VstInt32 i = 0; i < paramCount; ++i)
    writeLittleEndianFloat(params[i].value, chunkBuffer + 4 * i);
  *data = chunkBuffer;
  return size;
}

VstInt32 BrindleFX::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
  // A missing or short chunk is not ours: restoring part of it would mix two states.
  if (!data || paramCount == 0 || byteSize < 4 * paramCount) return 0;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (VstInt32 i = 0; i < paramCount; ++i) storeParameter(i, readLittleEndianFloat(bytes + 4 * i));
  return 0;
}

bool BrindleFX::setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                      VstSpeakerArrangement* pluginOutput) {
  if (!pluginInput || !pluginOutput) return false;
  const VstInt32 in = pluginInput->numChannels;
  const VstInt32 out = pluginOutput->numChannels;
  monoIO = (in == 1 && out == 1) ? 1 : 0;
  return in == out && (in == 1 || in == 2);
}

bool BrindleFX::getVendorString(char* text) {
  if (!text) return false;
  valueformat::copyText(kVendor, text, kVstMaxVendorStrLen);
  return true;
}

VstInt32 BrindleFX::canDo(char* text) {
  if (!text) return -1;
  for (uint16_t i = 0; i < canDoCount; ++i) {
    if (canDoList[i] && std::strcmp(canDoList[i], text) == 0) return 1;
  }
  return -1;
}
