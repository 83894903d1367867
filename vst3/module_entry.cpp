// The module's exported functions, with C linkage: GetPluginFactory on every
// platform; ModuleEntry and ModuleExit, which Linux hosts must call around
// everything else; InitDll and ExitDll, which Windows hosts may call. Nothing
// is set up at load, so entry and exit only answer true.
#include "vst3/plugin_factory.h"

using quillet::vst3::IPluginFactory;

extern "C" {

__attribute__((visibility("default"))) IPluginFactory* QUILLET_VST3_CALL GetPluginFactory() {
  return quillet::vst3::pluginFactory();
}

#if defined(_WIN32)
bool InitDll() { return true; }
bool ExitDll() { return true; }
#else
__attribute__((visibility("default"))) bool ModuleEntry(void* /*sharedLibraryHandle*/) {
  return true;
}
__attribute__((visibility("default"))) bool ModuleExit() { return true; }
#endif

}  // extern "C"
