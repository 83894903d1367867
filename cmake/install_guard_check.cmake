# Runs as the first install rule (see cmake/install_guard.cmake): stops an
# install whose host folders are folders hosts search while the Debian
# package has its plug-ins in such folders too.
cmake_policy(VERSION 3.16)  # install scripts start with no policy set (IN_LIST)

if(NOT "$ENV{DESTDIR}" STREQUAL "" OR NOT QUILLET_GUARD_PACKAGE)
  return()  # a staged install (a package being made) goes elsewhere
endif()
find_program(QUILLET_GUARD_DPKG_QUERY dpkg-query)
if(NOT QUILLET_GUARD_DPKG_QUERY)
  return()
endif()
execute_process(COMMAND ${QUILLET_GUARD_DPKG_QUERY} -W -f=\${Status} ${QUILLET_GUARD_PACKAGE}
  OUTPUT_VARIABLE status ERROR_QUIET)
if(NOT status MATCHES "install ok installed")
  return()
endif()
execute_process(COMMAND ${QUILLET_GUARD_DPKG_QUERY} -L ${QUILLET_GUARD_PACKAGE}
  OUTPUT_VARIABLE package_files ERROR_QUIET)
string(REPLACE "\n" ";" package_files "${package_files}")

function(quillet_guard_normal path var)
  if(path MATCHES "^~(/.*)?$")
    set(path "$ENV{HOME}${CMAKE_MATCH_1}")
  endif()
  get_filename_component(path "${path}" REALPATH)
  set(${var} "${path}" PARENT_SCOPE)
endfunction()

set(clashes "")
foreach(edition IN LISTS QUILLET_GUARD_EDITIONS)
  # The folders hosts search for this edition: their defaults and what the
  # environment adds.
  set(searched "")
  set(candidates ${QUILLET_GUARD_SEARCHED_${edition}})
  foreach(variable IN LISTS QUILLET_GUARD_VARIABLES_${edition})
    string(REPLACE ":" ";" more "$ENV{${variable}}")
    list(APPEND candidates ${more})
  endforeach()
  foreach(folder IN LISTS candidates)
    if(folder)
      quillet_guard_normal("${folder}" folder)
      list(APPEND searched "${folder}")
    endif()
  endforeach()
  quillet_guard_normal("${CMAKE_INSTALL_PREFIX}/${QUILLET_GUARD_FOLDER_${edition}}" target)
  if(NOT target IN_LIST searched)
    continue()
  endif()
  # The package's plug-ins of this edition: the entries right inside a
  # searched folder (a library, a bundle folder).
  set(theirs "")
  foreach(file IN LISTS package_files)
    get_filename_component(folder "${file}" DIRECTORY)
    if(folder IN_LIST searched AND EXISTS "${file}")
      list(APPEND theirs "${file}")
    endif()
  endforeach()
  if(theirs)
    list(REMOVE_DUPLICATES theirs)
    string(REPLACE ";" ", " theirs "${theirs}")
    string(APPEND clashes "  ${target} (the package has ${theirs})\n")
  endif()
endforeach()

if(clashes)
  if("$ENV{QUILLET_INSTALL_BESIDE_PACKAGE}" MATCHES "^(1|ON|on|yes|YES|true|TRUE)$")
    message(WARNING "Installing beside the Debian package ${QUILLET_GUARD_PACKAGE} "
      "(QUILLET_INSTALL_BESIDE_PACKAGE is set): hosts will find two plug-ins with one ID "
      "in these folders:\n${clashes}")
    return()
  endif()
  message(FATAL_ERROR "The Debian package ${QUILLET_GUARD_PACKAGE} is installed and this "
    "install would put its plug-ins into folders hosts search as well:\n${clashes}"
    "Hosts would find two plug-ins with one ID (or the package's files would be "
    "overwritten). Nothing was installed. Remove the package first "
    "(sudo apt-get remove ${QUILLET_GUARD_PACKAGE}), install into another prefix, "
    "or go on anyway with QUILLET_INSTALL_BESIDE_PACKAGE=1 in the environment.")
endif()
