#include "framework/brindle_fx.h"

#include <cmath>
#include <cstring>
#include <new>

#include "vst/aeff_editor.h"
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
      chunkBuffer(nullptr),
      lostStores(nullptr),
      deliveredValues(nullptr) {
  if (numParams > 0 && numParams <= 0xffff) {
    // Zero-filled; without a table the effect is unusable and the entry point
    // hands out nothing. The chunk buffer is taken now too, so getChunk never
    // allocates and two threads asking a fresh effect share one buffer.
    params = new (std::nothrow) ParamEntry[numParams]();
    lostStores = new (std::nothrow) std::atomic<uint8_t>[numParams]();
    deliveredValues = new (std::nothrow) float[numParams]();
    chunkBuffer = new (std::nothrow) uint8_t[4 * static_cast<size_t>(numParams)];
    if (params && lostStores && deliveredValues && chunkBuffer) {
      paramCount = static_cast<uint16_t>(numParams);
    } else {
      delete[] params;
      delete[] lostStores;
      delete[] deliveredValues;
      delete[] chunkBuffer;
      params = nullptr;
      lostStores = nullptr;
      deliveredValues = nullptr;
      chunkBuffer = nullptr;
    }
  }
}

BrindleFX::~BrindleFX() {
  delete[] chunkBuffer;
  delete[] deliveredValues;
  delete[] lostStores;
  delete[] params;
}

void BrindleFX::setSampleRate(float rate) {
  // The host never processes while it sets the rate: what is still queued
  // takes effect first, as it would have at the next block.
  applyPendingChanges();
  AudioEffectX::setSampleRate(rate);
  sampleRateChanged(rate);
}

void BrindleFX::restartOnStoredValues() {
  applyPendingChanges();
  restarted();
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
  params[index].value.store(value, std::memory_order_relaxed);
  if (!pending.push(index, value)) noteLostStore(index, value);
  if (editor) editor->setParameter(index, value);
}

void BrindleFX::noteLostStore(VstInt32 index, float value) {
  // Release: whoever sees the flag also sees the value stored before it.
  const uint8_t flags = value > 0.5f ? kLost | kLostOn : kLost;
  lostStores[index].fetch_or(flags, std::memory_order_release);
  lostAny.store(true, std::memory_order_release);
}

void BrindleFX::applyPendingChanges() {
  if (!params) return;
  if (!deliveredKnown) {
    // Until now every reaction has run with the values the table started
    // with; stores since are in the queue.
    for (VstInt32 i = 0; i < paramCount; ++i)
      deliveredValues[i] = params[i].value.load(std::memory_order_relaxed);
    deliveredKnown = true;
  }
  ParamChangeQueue::Change change;
  while (pending.pop(change)) {
    deliveredValues[change.index] = change.value;
    parameterChanged(change.index, change.value);
  }
  if (lostAny.load(std::memory_order_relaxed)) applyLostStores();
  catchUpWithTable();
}

// Two threads storing the same parameter at the same moment may queue their
// values in the other order than they landed in the table. The table's value
// is the one getParameter and the chunk report, so the engine follows it. A
// store that is still on its way (in the table, not yet queued) is taken here
// a block early and again when it arrives: its reaction runs twice with the
// same value, which no reaction can be heard doing. From one thread, the
// queue always ends where the table is and nothing happens here.
void BrindleFX::catchUpWithTable() {
  for (VstInt32 i = 0; i < paramCount; ++i) {
    const float stored = params[i].value.load(std::memory_order_relaxed);
    if (stored == deliveredValues[i]) continue;
    deliveredValues[i] = stored;
    parameterChanged(i, stored);
  }
}

// The queue overflowed (thousands of stores between two blocks): each lost
// parameter ends on its last stored value, in index order, as a chunk restore
// would set it. A switch ("n/y") that was turned on by a lost store but is
// off again is first replayed as fully on, so that its reaction to switching
// on (the mute sequence) still runs.
void BrindleFX::applyLostStores() {
  lostAny.exchange(false, std::memory_order_acquire);
  for (VstInt32 i = 0; i < paramCount; ++i) {
    const uint8_t flags = lostStores[i].exchange(0, std::memory_order_acquire);
    if (!flags) continue;
    const float last = params[i].value.load(std::memory_order_relaxed);
    if ((flags & kLostOn) && !(last > 0.5f) && isSwitch(i)) parameterChanged(i, 1.0f);
    deliveredValues[i] = last;
    parameterChanged(i, last);
  }
}

bool BrindleFX::isSwitch(VstInt32 index) const {
  return params[index].label && std::strcmp(params[index].label, "n/y") == 0;
}

float BrindleFX::getParameter(VstInt32 index) {
  if (index < 0 || index >= paramCount) return 0.0f;
  return params[index].value.load(std::memory_order_relaxed);
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
  float2string(params[index].value.load(std::memory_order_relaxed), text, kVstMaxParamStrLen);
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
    writeLittleEndianFloat(params[i].value.load(std::memory_order_relaxed), chunkBuffer + 4 * i);
  *data = chunkBuffer;
  return size;
}

VstInt32 BrindleFX::setChunk(void* data, VstInt32 byteSize, bool /*isPreset*/) {
  // A missing or short chunk is not ours: restoring part of it would mix two states.
  if (!data || paramCount == 0 || byteSize < 4 * paramCount) return 0;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  // Eleven single stores in index order, each queued like any other.
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
