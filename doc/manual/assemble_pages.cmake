# cmake -DSOURCE=doc/manual -DNUMBERS=... -DPARTS=... -DSITE=... -DVERSION=...
#   -P assemble_pages.cmake
# Writes the manual afresh into SITE: every page template SOURCE/NAME.html.in
# as NAME.html, the style sheet, and the pictures and plots from PARTS. In a
# template, <!-- @NAME --> stands for NUMBERS/NAME.html (written from the
# code), <!-- =NAME --> for SOURCE/part-NAME.html (shared by the pages), and
# @VERSION@ for the version. A marker without its file stops the build, so a
# page cannot show a hole.
cmake_minimum_required(VERSION 3.16)
foreach(variable SOURCE NUMBERS PARTS SITE VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "assemble_pages.cmake: -D${variable}=... missing")
  endif()
endforeach()

function(fill text_var page)
  set(text "${${text_var}}")
  foreach(kind "@" "=")
    string(REGEX MATCHALL "<!-- ${kind}[a-z0-9-]+ -->" markers "${text}")
    list(REMOVE_DUPLICATES markers)
    foreach(marker IN LISTS markers)
      string(REGEX REPLACE "<!-- .([a-z0-9-]+) -->" "\\1" name "${marker}")
      if(kind STREQUAL "@")
        set(file ${NUMBERS}/${name}.html)
      else()
        set(file ${SOURCE}/part-${name}.html)
      endif()
      if(NOT EXISTS ${file})
        message(FATAL_ERROR "${page}: ${marker} stands for ${file}, which is not there")
      endif()
      file(READ ${file} content)
      string(REPLACE "${marker}" "${content}" text "${text}")
    endforeach()
  endforeach()
  set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SITE})
file(MAKE_DIRECTORY ${SITE})
file(GLOB pictures ${PARTS}/*.png ${PARTS}/*.svg)
file(COPY ${pictures} ${SOURCE}/manual.css DESTINATION ${SITE})
file(GLOB templates ${SOURCE}/*.html.in)
foreach(template ${templates})
  get_filename_component(page ${template} NAME)
  string(REGEX REPLACE "\\.in$" "" page ${page})
  file(READ ${template} text)
  fill(text ${page})
  fill(text ${page})  # shared parts may hold numbers
  string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
  # The page's own entry in the contents is marked as the one shown.
  string(REPLACE "<a href=\"${page}\">" "<a href=\"${page}\" aria-current=\"page\">" text
    "${text}")
  if(text MATCHES "<!-- [@=][a-z0-9-]+ -->|@[A-Z_]+@")
    message(FATAL_ERROR "${page}: a marker is left: ${CMAKE_MATCH_0}")
  endif()
  file(WRITE ${SITE}/${page} "${text}")
endforeach()
