# The editions (plug-in formats) this tree builds for this platform, and the
# rule that keeps a package from silently lacking one.
#
# Each edition is declared once below: its name, its title, the folder under
# the prefix where hosts look for it, the folders hosts search by default (~
# is the home of whoever installs) and the environment variables that add more. An edition that needs something
# from outside (headers) gets an option QUILLET_EDITION_<NAME> (ON by
# default) and reports from its own folder with quillet_edition_built() or
# quillet_edition_missing(). At the end of the configure,
# quillet_check_editions() stops a Release build (what the packages are made
# from; QUILLET_REQUIRE_EDITIONS) when an edition that is on could not be
# built, naming the Debian package that is missing. Other builds warn, and
# CPack refuses to make a package from them (cmake/package_edition_check.cmake).
#
# A new edition (VST3) adds one quillet_edition() line here, reports
# from its folder, puts its install rules under its HOST_FOLDER and adds its
# installed-package check as scripts/package-checks/edition-<name>.sh.
#
# The configure writes the list to <build>/editions.txt, one edition a line:
#   name<TAB>built|off|missing<TAB>title<TAB>host folder

set(QUILLET_EDITIONS "")

# quillet_edition(NAME TITLE text HOST_FOLDER dir [SWITCH]
#                 [SEARCHED dirs...] [PATH_VARIABLES vars...])
# SWITCH gives the edition its QUILLET_EDITION_<NAME> option.
macro(quillet_edition name)
  cmake_parse_arguments(QE "SWITCH" "TITLE;HOST_FOLDER" "SEARCHED;PATH_VARIABLES" ${ARGN})
  string(TOUPPER ${name} QE_UPPER)
  list(APPEND QUILLET_EDITIONS ${name})
  set(QUILLET_EDITION_TITLE_${name} "${QE_TITLE}")
  set(QUILLET_EDITION_HOST_FOLDER_${name} "${QE_HOST_FOLDER}")
  set(QUILLET_EDITION_SEARCHED_${name} "${QE_SEARCHED}")
  set(QUILLET_EDITION_PATH_VARIABLES_${name} "${QE_PATH_VARIABLES}")
  if(QE_SWITCH)
    option(QUILLET_EDITION_${QE_UPPER} "Build the ${QE_TITLE}" ON)
  else()
    set(QUILLET_EDITION_${QE_UPPER} ON)
  endif()
  set_property(GLOBAL PROPERTY QUILLET_EDITION_STATE_${name} "")
endmacro()

# True in VAR when the edition NAME is declared and switched on.
function(quillet_edition_enabled name var)
  string(TOUPPER ${name} upper)
  if(name IN_LIST QUILLET_EDITIONS AND QUILLET_EDITION_${upper})
    set(${var} TRUE PARENT_SCOPE)
  else()
    set(${var} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(quillet_edition_built name)
  get_property(state GLOBAL PROPERTY QUILLET_EDITION_STATE_${name})
  if(NOT state STREQUAL "missing")
    set_property(GLOBAL PROPERTY QUILLET_EDITION_STATE_${name} built)
  endif()
endfunction()

# WHAT is not found; DEBIAN_PACKAGE is what provides it.
function(quillet_edition_missing name what debian_package)
  set_property(GLOBAL PROPERTY QUILLET_EDITION_STATE_${name} missing)
  set_property(GLOBAL PROPERTY QUILLET_EDITION_MISSING_${name} "${what}")
  set_property(GLOBAL PROPERTY QUILLET_EDITION_PACKAGE_${name} ${debian_package})
  message(STATUS "${QUILLET_EDITION_TITLE_${name}}: ${what} not found "
    "(Debian package ${debian_package})")
endfunction()

if(CMAKE_BUILD_TYPE STREQUAL "Release")
  set(QUILLET_REQUIRE_EDITIONS_DEFAULT ON)
else()
  set(QUILLET_REQUIRE_EDITIONS_DEFAULT OFF)
endif()
option(QUILLET_REQUIRE_EDITIONS
  "Stop the configure when an edition that is on cannot be built (default in Release builds)"
  ${QUILLET_REQUIRE_EDITIONS_DEFAULT})

# Called once every folder has been added.
function(quillet_check_editions)
  set(lines "")
  set(problems "")
  foreach(name IN LISTS QUILLET_EDITIONS)
    string(TOUPPER ${name} upper)
    get_property(state GLOBAL PROPERTY QUILLET_EDITION_STATE_${name})
    if(NOT QUILLET_EDITION_${upper})
      set(state off)
    elseif(NOT state STREQUAL "built")
      get_property(why GLOBAL PROPERTY QUILLET_EDITION_MISSING_${name})
      get_property(package GLOBAL PROPERTY QUILLET_EDITION_PACKAGE_${name})
      if(why)
        string(APPEND problems "the ${QUILLET_EDITION_TITLE_${name}} cannot be built: "
          "${why} not found. Install the Debian package ${package} "
          "(sudo apt-get install ${package}), or switch this edition off with "
          "-DQUILLET_EDITION_${upper}=OFF.\n")
      else()
        string(APPEND problems "the ${QUILLET_EDITION_TITLE_${name}} was not built "
          "(its folder did not report it); switch it off with -DQUILLET_EDITION_${upper}=OFF.\n")
      endif()
      set(state missing)
    endif()
    string(APPEND lines
      "${name}\t${state}\t${QUILLET_EDITION_TITLE_${name}}\t${QUILLET_EDITION_HOST_FOLDER_${name}}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/editions.txt "${lines}")
  # For CPack's check before it packs (cmake/package_edition_check.cmake).
  set(CPACK_QUILLET_EDITION_PROBLEMS "${problems}" PARENT_SCOPE)
  if(problems AND QUILLET_REQUIRE_EDITIONS)
    message(FATAL_ERROR "Quillet K3: ${problems}"
      "A Release build makes every edition that is on, as the packages hold them all "
      "(bash scripts/install-deps.sh installs what they need).")
  elseif(problems)
    message(WARNING "Quillet K3: ${problems}"
      "This build goes on without it; CPack makes no package from it.")
  endif()
endfunction()

# The VST 2.4 libraries: always built, the edition every other one is
# compared with.
quillet_edition(vst2 TITLE "VST 2.4 plug-in" HOST_FOLDER lib/vst
  SEARCHED /usr/lib/vst /usr/local/lib/vst ~/.vst
  PATH_VARIABLES VST_PATH LXVST_PATH)

# The VST3 bundle with its panel (vst3/): on Linux in lib/vst3, in the
# Windows archive at its top (for Common Files\VST3).
quillet_edition(vst3 SWITCH TITLE "VST3 plug-in" HOST_FOLDER lib/vst3
  SEARCHED /usr/lib/vst3 /usr/local/lib/vst3 ~/.vst3)

# The LV2 bundle with its panel (lv2/, lv2/ui/), on Linux.
if(UNIX AND NOT APPLE AND NOT WIN32)
  set(QUILLET_LV2_SEARCHED /usr/lib/lv2 /usr/local/lib/lv2 ~/.lv2)
  if(CMAKE_LIBRARY_ARCHITECTURE)
    list(APPEND QUILLET_LV2_SEARCHED /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/lv2)
  endif()
  quillet_edition(lv2 SWITCH TITLE "LV2 plug-in" HOST_FOLDER lib/lv2
    SEARCHED ${QUILLET_LV2_SEARCHED} PATH_VARIABLES LV2_PATH)
endif()

# The CLAP module (clap/), on Linux and Windows: built from our own
# declarations of the interface, nothing to install first.
quillet_edition(clap TITLE "CLAP plug-in" HOST_FOLDER lib/clap
  SEARCHED /usr/lib/clap /usr/local/lib/clap ~/.clap PATH_VARIABLES CLAP_PATH)

# The standalone JACK program quillet-k3 (standalone/), on Linux: needs
# libjack's headers.
if(UNIX AND NOT APPLE AND NOT WIN32)
  quillet_edition(standalone SWITCH TITLE "standalone JACK program" HOST_FOLDER bin)
endif()
