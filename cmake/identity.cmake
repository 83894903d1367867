# The product's identity, declared once. Configuring writes it into
# core/identity.h (generated) for the code, and the VST 2.4 version
# resource, the LV2 Turtle files and the packages read it from there or from
# these variables.
set(QUILLET_PRODUCT_NAME "Quillet K3")
set(QUILLET_PRODUCT_NAME_NO_GUI "Quillet K3 (no GUI)")
set(QUILLET_VENDOR "Marrow Ledge")
set(QUILLET_VERSION 1.4.0)
set(QUILLET_DESCRIPTION "A stereo tape-style echo: two feedback lines of up to 2.6 seconds, \
filtered and saturated, with cross-feed and ping-pong routing.")
set(QUILLET_URL "https://marrowledge.org/quillet-k3")
set(QUILLET_CONTACT_EMAIL "packages@marrowledge.org")

# VST 2.4: the unique ID (four characters) both libraries carry.
set(QUILLET_VST2_UNIQUE_ID "QTAP")
# LV2: the plug-in's URI; the UI's and the presets' are made from it.
set(QUILLET_LV2_URI "urn:marrowledge:quillet-k3")
# CLAP: the plug-in's reverse-domain ID.
set(QUILLET_CLAP_ID "com.marrowledge.quillet-k3")
# VST3: the class IDs as 32 hexadecimal digits (the text form, the same on
# every platform). The processor's follows Steinberg's rule for a VST3
# plug-in that replaces a VST 2 one, so hosts that migrate projects saved with
# the VST 2.4 libraries pick it: the three letters 'VST' ('VSE' for the
# controller), the VST 2.4 unique ID, and the first nine characters of the
# product name in lower case, two hex digits each. vst3/class_ids.h checks
# these against the rule when it compiles.
set(QUILLET_VST3_PROCESSOR_CID 565354515441507175696C6C6574206B)
set(QUILLET_VST3_CONTROLLER_CID 565345515441507175696C6C6574206B)

# The version as VST 2.4 hosts and the Windows version record show it:
# 1.4.0 is vendor version 1400 and "1.40", so minor and patch take one digit.
string(REPLACE "." ";" _quillet_version_parts ${QUILLET_VERSION})
list(GET _quillet_version_parts 0 QUILLET_VERSION_MAJOR)
list(GET _quillet_version_parts 1 QUILLET_VERSION_MINOR)
list(GET _quillet_version_parts 2 QUILLET_VERSION_PATCH)
if(QUILLET_VERSION_MINOR GREATER 9 OR QUILLET_VERSION_PATCH GREATER 9)
  message(FATAL_ERROR "VST 2.4 vendor versions give minor and patch one digit each")
endif()
math(EXPR QUILLET_VST2_VENDOR_VERSION
  "${QUILLET_VERSION_MAJOR} * 1000 + ${QUILLET_VERSION_MINOR} * 100 + ${QUILLET_VERSION_PATCH} * 10")
set(QUILLET_FILE_VERSION
  "${QUILLET_VERSION_MAJOR}.${QUILLET_VERSION_MINOR}${QUILLET_VERSION_PATCH}")
string(LENGTH "${QUILLET_VST2_UNIQUE_ID}" _quillet_id_length)
if(NOT _quillet_id_length EQUAL 4)
  message(FATAL_ERROR "the VST 2.4 unique ID takes four characters")
endif()

# Writes core/identity.h into the build tree (folder `generated`, on the
# include path); call after project().
function(quillet_write_identity_header)
  configure_file(${CMAKE_SOURCE_DIR}/core/identity.h.in
    ${CMAKE_BINARY_DIR}/generated/core/identity.h @ONLY)
endfunction()
