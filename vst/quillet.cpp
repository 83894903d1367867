// Quillet's identity, construction and audio. Compiled into each library:
// the editor build and the plain build differ in names and the panel.
#include "vst/quillet.h"

#include <cstring>
#include <new>

#include "core/identity.h"
#include "vst/value_format.h"
#ifdef QUILLET_WITH_EDITOR
#include "vst/editor/editor_factory.h"
#endif

namespace {

#ifdef QUILLET_WITH_EDITOR
constexpr const char* kName = quillet::core::identity::kProductName;
#else
constexpr const char* kName = quillet::core::identity::kProductNameNoGui;
#endif

// A negative frame count is no block at all.
uint32_t frameCount(VstInt32 sampleFrames) {
  return sampleFrames > 0 ? static_cast<uint32_t>(sampleFrames) : 0;
}

}  // namespace

Quillet::Quillet(audioMasterCallback audioMaster) : BrindleFX(audioMaster) {
  setUniqueID(quillet::core::identity::kVst2UniqueId);
  setNumInputs(2);
  setNumOutputs(2);
  canProcessReplacing(true);
  programsAreChunks(true);
  canDoubleReplacing(true);
#ifdef QUILLET_WITH_EDITOR
  // Last: the panel reads the finished effect. Its constructor attaches it.
  if (isUsable()) {
    AEffEditor* panel = createQuilletEditor(this);
    if (panel && editor != panel) setEditor(panel);
  }
#endif
}

Quillet::~Quillet() {}

void Quillet::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  core->process(inputs, outputs, frameCount(sampleFrames));
}

void Quillet::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) {
  core->process(inputs, outputs, frameCount(sampleFrames));
}

bool Quillet::getEffectName(char* name) {
  if (!name) return false;
  quillet::vst::copyText(kName, name, kVstMaxEffectNameLen);
  return true;
}

bool Quillet::getProductString(char* text) {
  if (!text) return false;
  quillet::vst::copyText(kName, text, kVstMaxProductStrLen);
  return true;
}

VstInt32 Quillet::getVendorVersion() { return quillet::core::identity::kVst2VendorVersion; }

VstInt32 Quillet::getPlugCategory() { return kPlugCategEffect; }

VstInt32 Quillet::canDo(char* text) {
#ifdef QUILLET_WITH_EDITOR
  if (text && editor && std::strcmp(text, kCanDoViewDpiScaling) == 0) return 1;
#endif
  return BrindleFX::canDo(text);
}

VstIntPtr Quillet::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
#ifdef QUILLET_WITH_EDITOR
  if (index == kVendorSpecificPreSonus && value == kContentScaleFactor)
    return setQuilletEditorScale(editor, opt) ? 1 : 0;
#endif
  return BrindleFX::vendorSpecific(index, value, ptr, opt);
}

// Used by the entry point. Null when the effect cannot be made or could not
// take its core; no exception leaves here.
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
