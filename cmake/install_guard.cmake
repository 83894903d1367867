# `cmake --install` beside the Debian package: hosts search /usr/lib/vst and
# /usr/local/lib/vst (and the LV2 folders, and the folders in VST_PATH,
# LV2_PATH...) together, so installing into /usr/local while the package has
# its plug-ins in /usr gives them two plug-ins with one ID, and installing
# into /usr overwrites the package's files. The first install rule
# (cmake/install_guard_check.cmake) stops such an install before it writes
# anything, unless QUILLET_INSTALL_BESIDE_PACKAGE=1 is in the environment.
# Staged installs (DESTDIR, CPack) are never stopped.
#
# Included before any folder declares install rules, so the check runs
# first; its facts (package name, editions and their folders) are written at
# the end of the configure by quillet_write_install_guard_facts().
if(WIN32)
  return()
endif()

set(QUILLET_INSTALL_GUARD_FACTS ${CMAKE_BINARY_DIR}/install-guard-facts.cmake)
install(CODE "include(\"${QUILLET_INSTALL_GUARD_FACTS}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install_guard_check.cmake)

function(quillet_write_install_guard_facts package)
  set(facts "# Written by the configure for cmake/install_guard_check.cmake.\n")
  string(APPEND facts "set(QUILLET_GUARD_PACKAGE \"${package}\")\n")
  set(editions "")
  foreach(name IN LISTS QUILLET_EDITIONS)
    quillet_edition_enabled(${name} on)
    if(NOT on)
      continue()
    endif()
    list(APPEND editions ${name})
    string(APPEND facts
      "set(QUILLET_GUARD_FOLDER_${name} \"${QUILLET_EDITION_HOST_FOLDER_${name}}\")\n"
      "set(QUILLET_GUARD_SEARCHED_${name} \"${QUILLET_EDITION_SEARCHED_${name}}\")\n"
      "set(QUILLET_GUARD_VARIABLES_${name} \"${QUILLET_EDITION_PATH_VARIABLES_${name}}\")\n")
  endforeach()
  string(APPEND facts "set(QUILLET_GUARD_EDITIONS \"${editions}\")\n")
  file(WRITE ${QUILLET_INSTALL_GUARD_FACTS} "${facts}")
endfunction()
