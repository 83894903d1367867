# How every shipped Linux module (VST 2.4 libraries, LV2 DSP and UI) is
# linked: only the symbols its version script names are exported, nothing is
# left undefined, and the C++ run-time is carried inside (its emergency pool
# is freed when the module unloads), so a host needs nothing beyond the C
# library and, for a panel, libX11. Sanitizer builds take the sanitizer's
# run-time from the program that loads them.
function(quillet_module_link target exports_map)
  target_link_options(${target} PRIVATE ${QUILLET_MODULE_NO_UNDEFINED}
    -Wl,--version-script=${exports_map})
  if(QUILLET_STATIC_RUNTIME)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/runtime_unload.cpp)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  set_target_properties(${target} PROPERTIES LINK_DEPENDS ${exports_map})
endfunction()
