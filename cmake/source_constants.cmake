# quillet_source_constant(VAR FILE NAME): VAR is the value the C++ source FILE
# gives NAME (`constexpr TYPE NAME = 512;`, "384000.0" read as "384000"), so
# that the manual pages print the ranges and defaults the programs declare
# instead of copies of them. The configuration runs again when FILE changes.
function(quillet_source_constant var file name)
  set(path ${CMAKE_SOURCE_DIR}/${file})
  file(STRINGS ${path} lines REGEX "constexpr [a-z0-9_]+ ${name} = ")
  if(NOT lines MATCHES "${name} = ([0-9]+(\\.[0-9]+)?)")
    message(FATAL_ERROR "${file} declares no number ${name}")
  endif()
  string(REGEX REPLACE "\\.0$" "" value "${CMAKE_MATCH_1}")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
  set(${var} ${value} PARENT_SCOPE)
endfunction()
