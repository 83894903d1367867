// Quillet's table, identity and construction. The audio half (engine glue)
// lives in framework/quillet_audio.cpp.
#include "framework/quillet.h"

#include <new>

#include "vst/value_format.h"
#ifdef QUILLET_WITH_EDITOR
#include "vst/editor/editor_factory.h"
#endif

namespace {

constexpr VstInt32 kUniqueId = fourCharCode('Q', 'T', 'A', 'P');
constexpr VstInt32 kVendorVersion = 1400;

#ifdef QUILLET_WITH_EDITOR
constexpr char kName[] = "Quillet K3";
#else
constexpr char kName[] = "Quillet K3 (no GUI)";
#endif

}  // namespace

Quillet::Quillet(audioMasterCallback audioMaster) : BrindleFX(audioMaster, 0, kNumQuilletParams) {
  if (params) {
    for (VstInt32 i = 0; i < paramCount; ++i) {
      params[i].name = kQuilletParams[i].name;
      params[i].label = kQuilletParams[i].label;
      params[i].value.store(kQuilletParams[i].defaultValue, std::memory_order_relaxed);
    }
  }
  setUniqueID(kUniqueId);
  setNumInputs(2);
  setNumOutputs(2);
  canProcessReplacing(true);
  programsAreChunks(true);
  canDoubleReplacing(true);
#ifdef QUILLET_WITH_EDITOR
  // Last: the panel reads the finished table. Its constructor attaches it.
  if (params) {
    AEffEditor* panel = createQuilletEditor(this);
    if (panel && editor != panel) setEditor(panel);
  }
#endif
}

Quillet::~Quillet() {}

bool Quillet::getEffectName(char* name) {
  if (!name) return false;
  valueformat::copyText(kName, name, kVstMaxEffectNameLen);
  return true;
}

bool Quillet::getProductString(char* text) {
  if (!text) return false;
  valueformat::copyText(kName, text, kVstMaxProductStrLen);
  return true;
}

VstInt32 Quillet::getVendorVersion() { return kVendorVersion; }

VstInt32 Quillet::getPlugCategory() { return kPlugCategEffect; }

// Used by the entry point. Null when the effect cannot be made or could not
// take its parameter table; no exception leaves here.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
  try {
    Quillet* effect = new (std::nothrow) Quillet(audioMaster);
    if (effect && !effect->isUsable()) {
      delete effect;
      return nullptr;
    }
    return effect;
  } catch (...) {
    return nullptr;
  }
}
