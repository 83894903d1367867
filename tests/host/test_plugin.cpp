// A tiny VST 2.4 plug-in for the host tests: two parameters ("Gain" and
// "Tone"), stereo pass-through scaled by nothing, state as a chunk. Built
// several times, each build with one deliberate fault for the validator to
// find, or none:
//   TEST_PLUGIN_FAULT_NAN    outputs a NaN once in a while
//   TEST_PLUGIN_FAULT_ALLOC  allocates and frees in every process call
//   TEST_PLUGIN_FAULT_STATE  ignores the chunk it is given
//   TEST_PLUGIN_FAULT_CRASH  crashes when a parameter is set to NaN
//   TEST_PLUGIN_MAIN_ONLY    exports its entry point only as "main"
//   TEST_PLUGIN_NO_ENTRY     exports no entry point
//   TEST_PLUGIN_BAD_MAGIC    returns a record without the 'VstP' mark
//   TEST_PLUGIN_PLAIN        keeps its state as parameters (no chunk) and
//                            processes in 32 bits only
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "vst/interface/vst2_interface.h"

namespace {

constexpr int kParams = 2;
const char* const kNames[kParams] = {"Gain", "Tone"};

struct TestPlugin {
  AEffect record;
  audioMasterCallback host;
  float params[kParams] = {0.5f, 0.25f};
  float chunk[kParams] = {};
  long frames = 0;
};

#ifdef TEST_PLUGIN_FAULT_ALLOC
void* volatile escaped = nullptr;
#endif

TestPlugin* self(AEffect* e) { return static_cast<TestPlugin*>(e->object); }

void copyText(void* ptr, const char* text, size_t limit) {
  char* out = static_cast<char*>(ptr);
  std::strncpy(out, text, limit);
  out[limit] = '\0';
}

float clampUnit(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }  // NaN to 0

template <typename T>
void passThrough(AEffect* e, T** in, T** out, VstInt32 n) {
  TestPlugin* p = self(e);
#ifdef TEST_PLUGIN_FAULT_ALLOC
  T* scratch = static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(n > 0 ? n : 1)));
  escaped = scratch;  // seen from outside, so the compiler keeps the allocation
#endif
  for (int c = 0; c < 2; ++c) {
    for (VstInt32 i = 0; i < n; ++i) out[c][i] = in[c][i];
  }
#ifdef TEST_PLUGIN_FAULT_ALLOC
  std::memcpy(scratch, out[0], sizeof(T) * static_cast<size_t>(n));
  std::free(scratch);
#endif
#ifdef TEST_PLUGIN_FAULT_NAN
  for (VstInt32 i = 0; i < n; ++i)
    if ((p->frames + i) % 1000 == 999) out[1][i] = std::numeric_limits<T>::quiet_NaN();
#endif
  p->frames += n;
}

void processFloat(AEffect* e, float** in, float** out, VstInt32 n) { passThrough(e, in, out, n); }
#ifndef TEST_PLUGIN_PLAIN
void processDouble(AEffect* e, double** in, double** out, VstInt32 n) {
  passThrough(e, in, out, n);
}
#endif

void setParameter(AEffect* e, VstInt32 index, float value) {
#ifdef TEST_PLUGIN_FAULT_CRASH
  if (value != value) std::raise(SIGSEGV);
#endif
  if (index >= 0 && index < kParams) self(e)->params[index] = clampUnit(value);
}

float getParameter(AEffect* e, VstInt32 index) {
  return index >= 0 && index < kParams ? self(e)->params[index] : 0.0f;
}

VstIntPtr dispatcher(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float) {
  TestPlugin* p = self(e);
  (void)value;  // unused by the build that ignores its chunk
  const bool validIndex = index >= 0 && index < kParams;
  switch (opcode) {
    case effClose:
      delete p;
      return 1;
    case effGetProgramName:
      copyText(ptr, "Default", kVstMaxProgNameLen);
      return 0;
    case effGetParamName:
      if (validIndex) copyText(ptr, kNames[index], kVstMaxParamStrLen);
      return 0;
    case effGetParamLabel:
      if (validIndex) copyText(ptr, "%", kVstMaxParamStrLen);
      return 0;
    case effGetParamDisplay:
      if (validIndex) copyText(ptr, p->params[index] > 0.5f ? "high" : "low", kVstMaxParamStrLen);
      return 0;
    case effGetChunk:
      std::memcpy(p->chunk, p->params, sizeof(p->chunk));
      *static_cast<void**>(ptr) = p->chunk;
      return sizeof(p->chunk);
    case effSetChunk:
#ifndef TEST_PLUGIN_FAULT_STATE
      if (value == sizeof(p->params) && ptr)
        for (int i = 0; i < kParams; ++i)
          p->params[i] = clampUnit(static_cast<const float*>(ptr)[i]);
#endif
      return 1;
    case effGetEffectName:
    case effGetProductString:
      copyText(ptr, "Host Test Plug-in", kVstMaxEffectNameLen);
      return 1;
    case effGetVendorString:
      copyText(ptr, "Marrow Ledge", kVstMaxVendorStrLen);
      return 1;
    case effGetPlugCategory:
      return kPlugCategEffect;
    case effGetVstVersion:
      return kVstVersion;
    case effCanDo:
      return -1;
    default:
      return 0;
  }
}

}  // namespace

// How the entry point is exported: normally as VSTPluginMain; the loader's
// tests also use builds that export it only as "main", or not at all.
#if defined(TEST_PLUGIN_MAIN_ONLY)
#define TEST_PLUGIN_ENTRY                                    \
  extern "C" __attribute__((visibility("default")))          \
  AEffect* entryAsMain(audioMasterCallback) __asm__("main"); \
  extern "C" AEffect* entryAsMain
#elif defined(TEST_PLUGIN_NO_ENTRY)
#define TEST_PLUGIN_ENTRY extern "C" AEffect* VSTPluginMain
#else
#define TEST_PLUGIN_ENTRY extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain
#endif

TEST_PLUGIN_ENTRY(audioMasterCallback host) {
  if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
#ifdef TEST_PLUGIN_BAD_MAGIC
  // A host never closes a record it refuses: one record for the whole process.
  static TestPlugin refused;
  TestPlugin* p = &refused;
#else
  TestPlugin* p = new TestPlugin();
#endif
  p->host = host;
  AEffect& r = p->record;
  std::memset(&r, 0, sizeof(r));
#ifdef TEST_PLUGIN_BAD_MAGIC
  r.magic = fourCharCode('N', 'o', 'p', 'e');
#else
  r.magic = kEffectMagic;
#endif
  r.dispatcher = dispatcher;
  r.setParameter = setParameter;
  r.getParameter = getParameter;
  r.numParams = kParams;
  r.numInputs = 2;
  r.numOutputs = 2;
  r.flags = effFlagsCanReplacing;
#ifndef TEST_PLUGIN_PLAIN
  r.flags |= effFlagsProgramChunks | effFlagsCanDoubleReplacing;
#endif
  r.ioRatio = 1.0f;
  r.object = p;
  r.uniqueID = fourCharCode('H', 't', 's', 't');
  r.version = 1;
  r.processReplacing = processFloat;
#ifndef TEST_PLUGIN_PLAIN
  r.processDoubleReplacing = processDouble;
#endif
  return &r;
}
