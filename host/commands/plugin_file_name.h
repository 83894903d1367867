// How quillet-host's help names a plug-in file on the system it runs on: a
// VST 2.4 plug-in is a .dll on Windows and a .so elsewhere; VST3 bundles
// (.vst3) and CLAP plug-ins (.clap) are named alike on both. String
// literals, so that the commands' help stays constant data.
#pragma once

#ifdef _WIN32
#define QUILLET_HOST_PLUGIN "PLUGIN.dll"
#else
#define QUILLET_HOST_PLUGIN "PLUGIN.so"
#endif

// The first line of each command's explanation.
#define QUILLET_HOST_PLUGIN_KINDS                     \
  "PLUGIN is a VST 2.4 plug-in (" QUILLET_HOST_PLUGIN \
  "), a VST3 bundle (PLUGIN.vst3) or a\n"             \
  "CLAP plug-in (PLUGIN.clap).\n"
