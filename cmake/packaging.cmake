# Install rules and packages.
#
# Linux (`cmake --install`, and the .deb that CPack makes from the same rules,
# for amd64 or, from the aarch64 cross build, arm64):
#   lib/vst/QTAPG_x64.so          the editor build, where hosts look for VST 2.4 plug-ins
#   lib/quillet-k3/QTAP_x64.so    the no-editor build, outside every host's search path:
#                                 both carry the unique ID QTAP, and a host that finds two
#                                 plug-ins with one ID in its folders shows only one of them
#   bin/quillet-host
#   share/man/man1/quillet-host.1.gz its manual page (doc/quillet-host.1.in)
#   bin/quillet-k3                the standalone JACK program (standalone/CMakeLists.txt)
#   share/man/man1/quillet-k3.1.gz its manual page (doc/quillet-k3.1.in)
#   lib/systemd/user/quillet-k3.service its pedal unit (standalone/CMakeLists.txt)
#   share/doc/quillet-k3/         README.md, development.md and packaging.md with the
#                                 pictures they show, LICENSE, THIRD-PARTY-NOTICES,
#                                 copyright, changelog.gz
#   share/doc/quillet-k3/manual/  the musician's manual (doc/manual/CMakeLists.txt)
#   lib/lv2/quillet-k3.lv2/       the LV2 bundle (lv2/CMakeLists.txt), where LV2 hosts look
#   lib/clap/QuilletK3.clap       the CLAP module (clap/CMakeLists.txt), where CLAP hosts look
#   share/quillet-k3/presets/     the factory presets as .fxp files (lv2/CMakeLists.txt)
# Other folders' install rules go into the same package: no install
# components, CPack takes every rule.
#
# Windows cross build: a .zip with both DLLs side by side, the CLAP module
# (clap/CMakeLists.txt), the .fxp presets
# (written by the Linux build into its presets/ folder: pass that folder as
# QUILLET_FXP_PRESET_DIR), the licence texts and README-Windows.txt on where
# to put the DLLs. Beside it, the installer quillet-k3-VERSION-win64-setup.exe
# (cmake/windows/installer.cmake) puts each file where hosts look.

# Writes the Markdown document DOC to OUT as it lies in the installed
# documentation folder: every picture it shows (![text](path)) pointed at the
# picture's file name, and its links between the README and the guides in
# doc/ pointed at their neighbours there (all of them lie side by side). The
# pictures' files are appended to PICTURES_VAR, to be installed beside it. A
# picture the tree lacks stops the configure.
function(quillet_doc_for_install doc out pictures_var)
  get_filename_component(dir ${doc} DIRECTORY)
  file(READ ${doc} text)
  string(REGEX MATCHALL "!\\[[^]\n]*\\]\\([^)\n]+\\)" shown "${text}")
  set(pictures ${${pictures_var}})
  foreach(picture IN LISTS shown)
    string(REGEX REPLACE "^!\\[[^]\n]*\\]\\(([^) \n]+).*" "\\1" path "${picture}")
    if(path MATCHES "^[a-z]+:")
      continue()  # a web address: nothing to ship
    endif()
    if(NOT EXISTS ${dir}/${path})
      message(FATAL_ERROR "${doc} shows ${path}, which is not in the tree")
    endif()
    get_filename_component(name ${path} NAME)
    string(REPLACE "](${path}" "](${name}" text "${text}")
    get_filename_component(file ${dir}/${path} ABSOLUTE)
    list(APPEND pictures ${file})
  endforeach()
  string(REGEX REPLACE "\\]\\(doc/([a-z]+\\.md)" "](\\1" text "${text}")
  string(REPLACE "](../README.md" "](README.md" text "${text}")
  if(pictures)
    list(REMOVE_DUPLICATES pictures)
  endif()
  file(WRITE ${out} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc})
  set(${pictures_var} ${pictures} PARENT_SCOPE)
endfunction()

# The package's facts, from the product's identity (cmake/identity.cmake): the
# maintainer's address also goes into the change log, the copyright file and
# the manual page.
set(QUILLET_PACKAGE_NAME quillet-k3)
set(QUILLET_PACKAGE_MAINTAINER "${QUILLET_VENDOR} <${QUILLET_CONTACT_EMAIL}>")
set(QUILLET_DOC_DIR share/doc/${QUILLET_PACKAGE_NAME})
set(QUILLET_MAN_DATE "2026-12-08")

if(NOT WIN32)
  quillet_write_install_guard_facts(${QUILLET_PACKAGE_NAME})
endif()

if(WIN32)
  install(FILES $<TARGET_FILE:QTAPG_x64> $<TARGET_FILE:QTAP_x64> DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES DESTINATION .
    RENAME THIRD-PARTY-NOTICES.txt)
  # Presets for the archive: every .fxp in this folder, by default the one
  # the Linux build in build/ writes.
  set(QUILLET_FXP_PRESET_DIR ${CMAKE_SOURCE_DIR}/build/presets
    CACHE PATH "Folder whose .fxp presets go into the Windows archive")
  file(GLOB QUILLET_FXP_PRESETS CONFIGURE_DEPENDS ${QUILLET_FXP_PRESET_DIR}/*.fxp)
  if(QUILLET_FXP_PRESETS)
    install(FILES ${QUILLET_FXP_PRESETS} DESTINATION presets)
    # Substituted text keeps its line ends: CRLF written out, as in the rest.
    set(QUILLET_PRESETS_NOTE "The folder presets holds .fxp presets: load one with your host's\r\n")
    string(APPEND QUILLET_PRESETS_NOTE "\"Load preset\" (or \"Load FXP\") command on the plug-in.\r\n\r\n")
  else()
    set(QUILLET_PRESETS_NOTE "")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/windows/README-Windows.txt.in
    ${CMAKE_CURRENT_BINARY_DIR}/README-Windows.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README-Windows.txt DESTINATION .)
  # The installer (target quillet_installer), from the same files.
  include(${CMAKE_SOURCE_DIR}/cmake/windows/installer.cmake)
else()
  # Plug-ins are loaded, not run: no executable bit (Debian policy for libraries).
  set(QUILLET_LIBRARY_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  install(TARGETS QTAPG_x64 LIBRARY DESTINATION lib/vst
    PERMISSIONS ${QUILLET_LIBRARY_PERMISSIONS})
  install(TARGETS QTAP_x64 LIBRARY DESTINATION lib/${QUILLET_PACKAGE_NAME}
    PERMISSIONS ${QUILLET_LIBRARY_PERMISSIONS})
  if(TARGET quillet-host)
    install(TARGETS quillet-host RUNTIME DESTINATION bin)
    install(FILES $<TARGET_FILE_DIR:quillet-host>/vst2-host DESTINATION bin)  # the link
  endif()
  # The README and the guides as shipped, side by side, with the pictures
  # they show beside them.
  set(doc_pictures "")
  set(shipped_docs "")
  foreach(doc README.md doc/development.md doc/packaging.md)
    get_filename_component(name ${doc} NAME)
    quillet_doc_for_install(${CMAKE_SOURCE_DIR}/${doc} ${CMAKE_CURRENT_BINARY_DIR}/doc/${name}
      doc_pictures)
    list(APPEND shipped_docs ${CMAKE_CURRENT_BINARY_DIR}/doc/${name})
  endforeach()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/copyright.in
    ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright @ONLY)
  install(FILES ${shipped_docs} ${doc_pictures}
    ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES
    ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright
    DESTINATION ${QUILLET_DOC_DIR})
  if(TARGET quillet_manual)
    install(DIRECTORY ${QUILLET_MANUAL_DIR}/ DESTINATION ${QUILLET_DOC_DIR}/manual)
  endif()
  # Debian wants the change log and manual pages compressed without a time
  # stamp (gzip -n).
  configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in
    ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)
  find_program(QUILLET_GZIP gzip REQUIRED)
  execute_process(COMMAND ${QUILLET_GZIP} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog
    OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz DESTINATION ${QUILLET_DOC_DIR})
  include(${CMAKE_SOURCE_DIR}/cmake/source_constants.cmake)
  if(TARGET quillet-host)
    foreach(constant kMaxRenderBlock kDefaultRenderBlock kDefaultTempo kDefaultTailLimitSeconds
        kMinRenderRate kMaxRenderRate kDefaultDemoRate kMaxTailSeconds)
      quillet_source_constant(QUILLET_${constant} host/render/render.h ${constant})
    endforeach()
    quillet_source_constant(QUILLET_kDefaultThreadSeconds host/validate/validator.h
      kDefaultThreadSeconds)
    quillet_source_constant(QUILLET_kDefaultSeed host/validate/validator.h kDefaultSeed)
    configure_file(${CMAKE_SOURCE_DIR}/doc/quillet-host.1.in
      ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-host.1 @ONLY)
    execute_process(COMMAND ${QUILLET_GZIP} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-host.1
      OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-host.1.gz)
    file(CREATE_LINK quillet-host.1.gz ${CMAKE_CURRENT_BINARY_DIR}/doc/vst2-host.1.gz SYMBOLIC)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-host.1.gz
      ${CMAKE_CURRENT_BINARY_DIR}/doc/vst2-host.1.gz DESTINATION share/man/man1)
  endif()
  if(TARGET quillet-k3)
    quillet_source_constant(QUILLET_kSlowest standalone/pedal_tempo.h kSlowest)
    quillet_source_constant(QUILLET_kFastest standalone/pedal_tempo.h kFastest)
    configure_file(${CMAKE_SOURCE_DIR}/doc/quillet-k3.1.in
      ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-k3.1 @ONLY)
    execute_process(COMMAND ${QUILLET_GZIP} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-k3.1
      OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-k3.1.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/doc/quillet-k3.1.gz DESTINATION share/man/man1)
  endif()
endif()

set(CPACK_PACKAGE_NAME ${QUILLET_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR ${QUILLET_VENDOR})
set(CPACK_PACKAGE_VERSION ${QUILLET_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUILLET_PACKAGE_MAINTAINER})
# What apt show and software centres print first: every edition the package
# installs, the standalone program and the manual (scripts/test-package.sh
# holds both texts to it).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "stereo tape echo: VST 2.4, VST3, CLAP and LV2 plug-ins, JACK program, manual")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# No package from a build that lacks an edition (CPACK_QUILLET_EDITION_PROBLEMS
# comes from quillet_check_editions()).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/package_edition_check.cmake)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${QUILLET_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # A cross build packages for its target (cmake/aarch64-linux-gnu.cmake:
  # quillet-k3_<version>_arm64.deb); dpkg would name the build machine's.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLET_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Run-time dependencies read from the binaries (libc6, libx11-6, and
  # libsndfile1 for quillet-host, libjack for quillet-k3).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents these lines.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillet K3 is a stereo digital echo built like a tape echo: two feedback
delay lines of up to 2.6 seconds, a filtered and softly saturated feedback
path, cross-feed and ping-pong routing, and delay changes that stretch the
stored echoes like a tape loop.

The package holds four plug-in editions, each where its hosts look:
 - VST 2.4: the plug-in with its editor panel in /usr/lib/vst, and the
   same plug-in without editor in /usr/lib/quillet-k3 (it shares the
   editor build's unique ID, so only one of the two may sit in a host's
   folders);
 - VST3: the bundle with its panel in /usr/lib/vst3, its factory presets
   as .vstpreset files in /usr/share/vst3/presets;
 - CLAP: the plug-in with its panel and factory presets in /usr/lib/clap;
 - LV2: the bundle with its panel and factory presets in /usr/lib/lv2.
Besides them: quillet-k3, the standalone JACK program, with its panel or
without it as an echo pedal on a Raspberry Pi (manual page quillet-k3(1));
quillet-host, a command-line host that renders audio files through the
VST 2.4, VST3 and CLAP plug-ins, saves presets and checks plug-ins
(manual page quillet-host(1)); the factory presets as .fxp files in
/usr/share/quillet-k3/presets; and the musician's manual, with every
control, echo times, presets and hosts, in
/usr/share/doc/quillet-k3/manual/index.html.")
endif()

include(CPack)
