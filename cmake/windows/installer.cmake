# The Windows installer, quillet-k3-VERSION-win64-setup.exe, made with NSIS's
# makensis (Debian package nsis) from cmake/windows/installer.nsi by the
# target quillet_installer (not part of the default build).
#
# It packs the build's plug-ins and quillet-host, and from a Linux build the
# .fxp presets of QUILLET_FXP_PRESET_DIR and the musician's manual of
# QUILLET_MANUAL_DIR (index.html and what it shows). The VST3, CLAP and LV2
# editions carry their factory presets inside (no .vstpreset files, which
# hosts would list beside the VST3 edition's program list). A folder that does
# not exist or holds none of its files is skipped; without a manual the Start
# menu gets README-Windows.txt.

find_program(QUILLET_MAKENSIS makensis)
if(NOT QUILLET_MAKENSIS OR NOT TARGET quillet-host)
  return()
endif()
# The installer's icon and finish picture are made from the panel's artwork
# with ImageMagick (cmake/windows/installer_pictures.cmake).
find_program(QUILLET_CONVERT convert)
if(NOT QUILLET_CONVERT)
  message(WARNING "Quillet K3: the Windows installer needs ImageMagick's convert for its icon "
    "(sudo apt-get install imagemagick): the target quillet_installer is left out.")
  return()
endif()

set(QUILLET_MANUAL_DIR ${CMAKE_SOURCE_DIR}/build/manual
  CACHE PATH "Folder of the musician's manual (index.html) for the Windows installer")

set(QUILLET_INSTALLER_FILE ${QUILLET_PACKAGE_NAME}-${QUILLET_VERSION}-win64-setup.exe)
set(stage ${CMAKE_BINARY_DIR}/installer)
# The licence's copyright line, for the installer's version record.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE copyright REGEX "^Copyright " LIMIT_COUNT 1)

add_custom_target(quillet_installer
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage}
    "-DVST3_BUNDLE=${QUILLET_VST3_BUNDLE_DIR}"
    -DCLAP=$<TARGET_FILE:quillet_clap>
    -DVST2_PANEL=$<TARGET_FILE:QTAPG_x64>
    -DVST2_PLAIN=$<TARGET_FILE:QTAP_x64>
    -DHOST=$<TARGET_FILE:quillet-host>
    -DSTRIP=${CMAKE_STRIP}
    -DLICENSE=${CMAKE_SOURCE_DIR}/LICENSE
    -DNOTICES=${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES
    -DREADME_WINDOWS=${CMAKE_BINARY_DIR}/README-Windows.txt
    -DFXP_DIR=${QUILLET_FXP_PRESET_DIR}
    -DMANUAL_DIR=${QUILLET_MANUAL_DIR}
    -P ${CMAKE_SOURCE_DIR}/cmake/windows/installer_stage.cmake
  COMMAND ${CMAKE_COMMAND} -DSTAGE=${stage} -DCONVERT=${QUILLET_CONVERT}
    -DARTWORK=${CMAKE_SOURCE_DIR}/editor/artwork
    -P ${CMAKE_SOURCE_DIR}/cmake/windows/installer_pictures.cmake
  COMMAND ${QUILLET_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
    "-DQUILLET_PRODUCT_NAME=${QUILLET_PRODUCT_NAME}"
    "-DQUILLET_VENDOR=${QUILLET_VENDOR}"
    "-DQUILLET_VERSION=${QUILLET_VERSION}"
    "-DQUILLET_FILE_VERSION=${QUILLET_FILE_VERSION}"
    "-DQUILLET_URL=${QUILLET_URL}"
    "-DQUILLET_COPYRIGHT=${copyright}"
    "-DQUILLET_STAGE=${stage}"
    "-DQUILLET_OUT_FILE=${CMAKE_BINARY_DIR}/${QUILLET_INSTALLER_FILE}"
    ${CMAKE_SOURCE_DIR}/cmake/windows/installer.nsi
  BYPRODUCTS ${CMAKE_BINARY_DIR}/${QUILLET_INSTALLER_FILE}
  COMMENT "Making ${QUILLET_INSTALLER_FILE}"
  VERBATIM)
add_dependencies(quillet_installer QTAPG_x64 QTAP_x64 quillet_clap quillet_vst3 quillet-host)
