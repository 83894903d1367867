#include "vst/audio_effect_x.h"

#include <cstdlib>
#include <cstring>

#include "vst/aeff_editor.h"

namespace {

// The modifier keys arrive as a float. One that no 32-bit integer holds (NaN,
// infinities, beyond +-2^31) carries no modifier a host could mean, so it
// counts as none; clamping would turn +inf into every modifier at once.
unsigned char modifierFrom(float opt) {
  if (!(opt >= -2147483648.0f && opt < 2147483648.0f)) return 0;
  return static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xff);
}

VstKeyCode keyCodeFrom(VstInt32 index, VstIntPtr value, float opt) {
  VstKeyCode key;
  std::memset(&key, 0, sizeof(key));
  key.character = index;
  key.virt = static_cast<unsigned char>(value & 0xff);
  key.modifier = modifierFrom(opt);
  return key;
}

VstIntPtr asFlag(bool b) { return b ? 1 : 0; }

}  // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  const VstInt32 value32 = static_cast<VstInt32>(value);
  switch (opcode) {
    case effProcessEvents:
      return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
      return asFlag(canParameterBeAutomated(index));
    case effString2Parameter:
      return asFlag(string2parameter(index, static_cast<char*>(ptr)));
    case effGetProgramNameIndexed:
      if (!ptr) return 0;
      return asFlag(getProgramNameIndexed(value32, index, static_cast<char*>(ptr)));
    case effGetInputProperties:
      if (!ptr) return 0;
      return asFlag(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetOutputProperties:
      if (!ptr) return 0;
      return asFlag(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case effGetPlugCategory:
      return getPlugCategory();
    case effOfflineNotify:
      return asFlag(offlineNotify(static_cast<VstAudioFile*>(ptr), value32, index != 0));
    case effOfflinePrepare:
      return asFlag(offlinePrepare(static_cast<VstOfflineTask*>(ptr), value32));
    case effOfflineRun:
      return asFlag(offlineRun(static_cast<VstOfflineTask*>(ptr), value32));
    case effProcessVarIo:
      return asFlag(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
      return asFlag(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                          static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
      return asFlag(setBypass(value != 0));
    case effGetEffectName:
      if (!ptr) return 0;
      return asFlag(getEffectName(static_cast<char*>(ptr)));
    case effGetVendorString:
      if (!ptr) return 0;
      return asFlag(getVendorString(static_cast<char*>(ptr)));
    case effGetProductString:
      if (!ptr) return 0;
      return asFlag(getProductString(static_cast<char*>(ptr)));
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
      return getGetTailSize();
    case effGetParameterProperties:
      if (!ptr) return 0;
      return asFlag(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
      if (editor) {
        VstKeyCode key = keyCodeFrom(index, value, opt);
        return asFlag(editor->onKeyDown(key));
      }
      return 0;
    case effEditKeyUp:
      if (editor) {
        VstKeyCode key = keyCodeFrom(index, value, opt);
        return asFlag(editor->onKeyUp(key));
      }
      return 0;
    case effSetEditKnobMode:
      if (editor) return asFlag(editor->setKnobMode(value32));
      return 0;
    case effGetMidiProgramName:
      return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
      return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
      return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
      return asFlag(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
      return asFlag(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram:
      return asFlag(beginSetProgram());
    case effEndSetProgram:
      return asFlag(endSetProgram());
    case effGetSpeakerArrangement:
      return asFlag(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                          static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
      return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
      return startProcess();
    case effStopProcess:
      return stopProcess();
    case effSetTotalSampleToProcess:
      return setTotalSampleToProcess(value32);
    case effSetPanLaw:
      return asFlag(setPanLaw(value32, opt));
    case effBeginLoadBank:
      return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
      return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
      return asFlag(setProcessPrecision(value32));
    case effGetNumMidiInputChannels:
      return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
      return getNumMidiOutputChannels();
    default:
      // Below 25, above 79, negative, and the deprecated opcodes passed on
      // (28, 30-32, 36, 37, 43, 46, 53-55, 57).
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

void AudioEffectX::resume() {
  if ((cEffect.flags & effFlagsIsSynth) == 0) {
    char query[] = "receiveVstMidiEvent";
    if (canDo(query) != 1) return;
  }
  wantEvents(1);
}

// Defaults an effect without overrides can live with: it accepts exactly the
// channel counts of its record, has no vendor string and does not know any
// capability.
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                         VstSpeakerArrangement* pluginOutput) {
  if (!pluginInput || !pluginOutput) return false;
  return pluginInput->numChannels == cEffect.numInputs &&
         pluginOutput->numChannels == cEffect.numOutputs;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
  if (pluginInput) *pluginInput = nullptr;
  if (pluginOutput) *pluginOutput = nullptr;
  return false;
}

bool AudioEffectX::getVendorString(char* /*text*/) { return false; }

VstInt32 AudioEffectX::canDo(char* /*text*/) { return 0; }

VstInt32 AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

// Requests to the host. Without a callback nothing is sent and callHost
// answers 0, which is each request's answer for that case unless noted.
bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

double AudioEffectX::updateSampleRate() {
  const VstIntPtr answer = callHost(audioMasterGetSampleRate);
  if (answer > 0) sampleRate = static_cast<float>(answer);
  return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
  const VstInt32 answer = static_cast<VstInt32>(callHost(audioMasterGetBlockSize));
  if (answer > 0) blockSize = answer;
  return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
  return static_cast<VstInt32>(callHost(audioMasterGetInputLatency));
}
VstInt32 AudioEffectX::getOutputLatency() {
  return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency));
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
  return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
  return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel));
}
VstInt32 AudioEffectX::getAutomationState() {
  return static_cast<VstInt32>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text) {
  return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
  return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}
VstInt32 AudioEffectX::getHostVendorVersion() {
  return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion));
}
VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg,
                                           float floatArg) {
  return callHost(audioMasterVendorSpecific, lArg1, lArg2, ptrArg, floatArg);
}
VstInt32 AudioEffectX::canHostDo(char* text) {
  return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}
VstInt32 AudioEffectX::getHostLanguage() {
  return static_cast<VstInt32>(callHost(audioMasterGetLanguage));
}
void* AudioEffectX::getDirectory() {
  return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
  return callHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::openFileSelector(VstFileSelect* select) {
  if (!select) return false;
  return callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
}
bool AudioEffectX::closeFileSelector(VstFileSelect* select) {
  if (!select) return false;
  return callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
}
bool AudioEffectX::getChunkFile(void* nativePath) {
  if (!nativePath) return false;
  return callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource) {
  return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}
bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstInt32 option) {
  return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}
bool AudioEffectX::offlineStart(VstAudioFile* audioFiles, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles) {
  return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}
VstInt32 AudioEffectX::offlineGetCurrentPass() {
  return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}
VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
  return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::wantEvents(VstInt32 filter) { callHost(audioMasterWantMidi, 0, filter); }
VstInt32 AudioEffectX::tempoAt(VstInt32 pos) {
  return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, pos));
}
VstInt32 AudioEffectX::getNumAutomatableParameters() {
  return static_cast<VstInt32>(callHost(audioMasterGetNumAutomatableParameters));
}
VstInt32 AudioEffectX::getParameterQuantization() {
  return static_cast<VstInt32>(callHost(audioMasterGetParameterQuantization));
}
bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }
AEffect* AudioEffectX::getPreviousPlug(VstInt32 /*input*/) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}
AEffect* AudioEffectX::getNextPlug(VstInt32 /*output*/) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}
VstInt32 AudioEffectX::willProcessReplacing() {
  return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate));
}
void AudioEffectX::setOutputSamplerate(float samplerate) {
  callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate);
}
VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}
VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}
void* AudioEffectX::openWindow(VstWindow* window) {
  return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}
bool AudioEffectX::closeWindow(VstWindow* window) {
  return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}

// Speaker arrangements the effect builds for itself; the host never frees them.
bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels) {
  if (!arrangement || nbChannels < 0) return false;
  deallocateArrangement(arrangement);
  const size_t needed = offsetof(VstSpeakerArrangement, speakers) +
                        static_cast<size_t>(nbChannels) * sizeof(VstSpeakerProperties);
  const size_t size =
      needed > sizeof(VstSpeakerArrangement) ? needed : sizeof(VstSpeakerArrangement);
  void* memory = std::calloc(1, size);
  if (!memory) return false;
  *arrangement = static_cast<VstSpeakerArrangement*>(memory);
  (*arrangement)->numChannels = nbChannels;
  return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
  if (!to || !from) return false;
  // At most 63 characters, always terminated, even from an unterminated source.
  std::memset(to->name, 0, sizeof(to->name));
  for (size_t i = 0; i + 1 < sizeof(to->name) && from->name[i] != '\0'; ++i)
    to->name[i] = from->name[i];
  to->type = from->type;
  to->azimuth = from->azimuth;
  to->elevation = from->elevation;
  to->radius = from->radius;
  to->reserved = from->reserved;
  std::memcpy(to->future, from->future, sizeof(to->future));
  return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
  if (!to || !from) return false;
  if (!deallocateArrangement(to)) return false;
  if (!allocateArrangement(to, from->numChannels)) return false;
  (*to)->type = from->type;
  // The records run on past the eight the declaration names (allocateArrangement
  // makes room for every channel): walk them through plain pointers.
  VstSpeakerProperties* toSpeakers = (*to)->speakers;
  VstSpeakerProperties* fromSpeakers = from->speakers;
  for (VstInt32 i = 0; i < from->numChannels; ++i) {
    if (!copySpeaker(toSpeakers + i, fromSpeakers + i)) return false;
  }
  return true;
}
