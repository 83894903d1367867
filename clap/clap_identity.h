// What the CLAP edition tells hosts about itself. These are data items that
// the product's generated identity will take over; the id is stable for ever
// once shipped (hosts key saved projects and presets by it).
#pragma once

namespace quillet_clap {

#ifndef QUILLET_VERSION_STRING
#error "QUILLET_VERSION_STRING comes from the CMake project version"
#endif

inline constexpr char kPluginId[] = "com.marrowledge.quillet-k3";
inline constexpr char kPluginName[] = "Quillet K3";
inline constexpr char kVendor[] = "Marrow Ledge";
inline constexpr char kUrl[] = "https://marrowledge.example/quillet-k3";
inline constexpr char kVersion[] = QUILLET_VERSION_STRING;
inline constexpr char kDescription[] = "Stereo tape-style digital echo";

// The factory presets' provider, for hosts that browse presets.
inline constexpr char kPresetProviderId[] = "com.marrowledge.quillet-k3.factory-presets";
inline constexpr char kPresetProviderName[] = "Quillet K3 factory presets";

}  // namespace quillet_clap
