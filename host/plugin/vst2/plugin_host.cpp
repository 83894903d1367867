#include "host/plugin/vst2/plugin_host.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "host/plugin/dynamic_library.h"

namespace quillet::host {

namespace {

constexpr const char* kHostVendor = "Marrow Ledge";
constexpr const char* kHostProduct = "quillet-host";
constexpr VstIntPtr kHostVendorVersion = 1400;

// What the host says yes to when a plug-in asks audioMasterCanDo.
constexpr const char* kHostCanDo[] = {"sendVstTimeInfo", "supplyIdle"};

// The plain C callback finds the HostCallback of the effect that calls: while
// the entry point runs the record does not exist yet, so the instance being
// created is remembered per thread; afterwards the record's address leads to
// it. The record's `user` field stays untouched because plug-ins (and their
// tests) may look at it.
thread_local HostCallback* instanceBeingCreated = nullptr;

std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}

std::map<AEffect*, HostCallback*>& registry() {
  static std::map<AEffect*, HostCallback*> map;
  return map;
}

HostCallback* callbackFor(AEffect* effect) {
  if (effect) {
    std::lock_guard<std::mutex> guard(registryLock());
    auto found = registry().find(effect);
    if (found != registry().end()) return found->second;
  }
  if (instanceBeingCreated) return instanceBeingCreated;
  // A request from a record we do not know (or without one) still gets the
  // answers of a host, just not recorded against any instance.
  static HostCallback* orphan = [] {
    auto* host = new HostCallback();  // lives as long as the process
    host->setRecording(false);
    return host;
  }();
  return orphan;
}

VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                       float opt) {
  return callbackFor(effect)->handle(effect, opcode, index, value, ptr, opt);
}

void copyText(void* destination, const char* text, size_t limit) {
  if (!destination) return;
  char* out = static_cast<char*>(destination);
  std::strncpy(out, text, limit);
  out[limit] = '\0';
}

}  // namespace

struct HostCallback::State {
  std::mutex lock;
  std::vector<HostRequest> requests;
  VstTimeInfo time{};
  double tempo = 120.0;
  double sampleRate = 44100.0;
  double samplePosition = 0.0;
  VstInt32 blockSize = 512;
  bool timeAvailable = true;
  bool recording = true;
  std::function<bool(int, int)> sizeWindow;
};

HostCallback::HostCallback() : state(std::make_shared<State>()) { state->requests.reserve(1024); }

void HostCallback::setTempo(double bpm) { state->tempo = bpm; }
void HostCallback::setSampleRate(double rate) { state->sampleRate = rate; }
void HostCallback::setTimeAvailable(bool available) { state->timeAvailable = available; }
void HostCallback::setBlockSize(VstInt32 frames) { state->blockSize = frames; }
void HostCallback::setSamplePosition(double frames) { state->samplePosition = frames; }
double HostCallback::tempo() const { return state->tempo; }
void HostCallback::setRecording(bool on) { state->recording = on; }
void HostCallback::setSizeWindowHandler(std::function<bool(int, int)> handler) {
  std::lock_guard<std::mutex> guard(state->lock);
  state->sizeWindow = std::move(handler);
}

const std::vector<HostRequest>& HostCallback::requests() const { return state->requests; }

size_t HostCallback::count(VstInt32 opcode) const {
  std::lock_guard<std::mutex> guard(state->lock);
  return static_cast<size_t>(
      std::count_if(state->requests.begin(), state->requests.end(),
                    [&](const HostRequest& r) { return r.opcode == opcode; }));
}

void HostCallback::clear() {
  std::lock_guard<std::mutex> guard(state->lock);
  state->requests.clear();
}

VstIntPtr HostCallback::handle(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
  if (state->recording) {
    std::lock_guard<std::mutex> guard(state->lock);
    state->requests.push_back(HostRequest{opcode, index, value, opt});
  }
  switch (opcode) {
    case audioMasterVersion:
      return kVstVersion;
    case audioMasterGetTime: {
      if (!state->timeAvailable) return 0;
      VstTimeInfo& t = state->time;
      t = VstTimeInfo{};
      t.sampleRate = state->sampleRate;
      t.samplePos = state->samplePosition;
      t.tempo = state->tempo;
      const double seconds = state->sampleRate > 0 ? t.samplePos / state->sampleRate : 0.0;
      t.ppqPos = seconds * state->tempo / 60.0;
      t.barStartPos = 4.0 * static_cast<double>(static_cast<long long>(t.ppqPos / 4.0));
      t.timeSigNumerator = 4;
      t.timeSigDenominator = 4;
      t.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
                kVstTimeSigValid;
      return reinterpret_cast<VstIntPtr>(&t);
    }
    case audioMasterGetSampleRate:
      return static_cast<VstIntPtr>(state->sampleRate);
    case audioMasterGetBlockSize:
      return state->blockSize;
    case audioMasterGetVendorString:
      copyText(ptr, kHostVendor, kVstMaxVendorStrLen);
      return ptr ? 1 : 0;
    case audioMasterGetProductString:
      copyText(ptr, kHostProduct, kVstMaxProductStrLen);
      return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
      return kHostVendorVersion;
    case audioMasterSizeWindow: {
      std::function<bool(int, int)> handler;
      {
        std::lock_guard<std::mutex> guard(state->lock);
        handler = state->sizeWindow;
      }
      return handler && handler(index, static_cast<int>(value)) ? 1 : 0;
    }
    case audioMasterCanDo: {
      if (!ptr) return 0;
      // The query is a plug-in's text: read no further than a sane bound.
      const char* query = static_cast<const char*>(ptr);
      for (const char* yes : kHostCanDo) {
        if (strncmp(query, yes, 64) == 0) return 1;
      }
      return 0;
    }
    default:
      return 0;
  }
}

std::unique_ptr<PluginLibrary> PluginLibrary::load(const std::string& path, std::string* error) {
  std::string reason;
  void* handle = openLibrary(path, &reason);
  if (!handle) {
    if (error) *error = "cannot load " + path + ": " + reason;
    return nullptr;
  }
  auto entry = reinterpret_cast<VstPluginMainProc>(findSymbol(handle, "VSTPluginMain"));
  if (!entry) entry = reinterpret_cast<VstPluginMainProc>(findSymbol(handle, "main"));
  if (!entry) {
    closeLibrary(handle);
    if (error)
      *error = path + " is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
    return nullptr;
  }
  std::unique_ptr<PluginLibrary> library(new PluginLibrary());
  library->handle = handle;
  library->main = entry;
  return library;
}

PluginLibrary::~PluginLibrary() { closeLibrary(handle); }

VstPluginMainProc PluginLibrary::entry() const { return main; }

std::unique_ptr<PluginInstance> PluginInstance::create(const PluginLibrary& library,
                                                       std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return nullptr;
  };
  if (!library.entry()) return fail("the library has no entry point");
  std::unique_ptr<PluginInstance> instance(new PluginInstance());
  instance->callback = std::make_unique<HostCallback>();
  HostCallback* previous = instanceBeingCreated;
  instanceBeingCreated = instance->callback.get();
  AEffect* effect = nullptr;
  try {
    effect = library.entry()(hostCallback);
  } catch (...) {
    effect = nullptr;
  }
  instanceBeingCreated = previous;
  if (!effect) return fail("the plug-in declined to start: its entry point returned no effect");
  if (effect->magic != kEffectMagic || !effect->dispatcher) {
    // Not a record we can talk to; leave it alone rather than guess how to free it.
    return fail("not a VST 2.4 plug-in: the entry point returned a record without the 'VstP' mark");
  }
  {
    std::lock_guard<std::mutex> guard(registryLock());
    registry()[effect] = instance->callback.get();
  }
  instance->aeffect = effect;
  return instance;
}

PluginInstance::~PluginInstance() { close(); }

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  if (!aeffect) return 0;
  return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
}

void PluginInstance::close() {
  if (!aeffect) return;
  AEffect* effect = aeffect;
  aeffect = nullptr;
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
  std::lock_guard<std::mutex> guard(registryLock());
  registry().erase(effect);
}

}  // namespace quillet::host
