// The library's only exports: VSTPluginMain, and the same function under the
// name "main" for hosts from before VST 2.4.
#include "vst/audio_effect.h"

// Defined by the effect (vst/quillet.cpp); null when it cannot be made.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

#if defined(_WIN32)
#define QUILLET_EXPORT __declspec(dllexport)
#else
#define QUILLET_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

QUILLET_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
  // Without a callback there is no host to ask, so there is no plug-in.
  if (!audioMaster) return nullptr;
  try {
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    AudioEffect* effect = createEffectInstance(audioMaster);
    if (!effect) return nullptr;
    return effect->getAeffect();
  } catch (...) {
    return nullptr;
  }
}

// (Programs that link the entry point in, such as the fuzzers, have a main
// of their own and leave the alias out.)
#if defined(__ELF__) && !defined(QUILLET_ENTRY_WITHOUT_MAIN_ALIAS)
// g++ will not accept a function named main with this signature: declare
// another name whose assembler symbol is "main" and alias it to the same code.
// A Windows DLL gets its "main" export from the module-definition file.
QUILLET_EXPORT AEffect* vstPluginMainAlias(audioMasterCallback audioMaster) __asm__("main")
    __attribute__((alias("VSTPluginMain")));
#endif

}  // extern "C"
