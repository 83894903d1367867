# CPack runs this before it packs: a build that lacks an edition that is
# switched on (see cmake/editions.cmake) makes no package.
if(CPACK_QUILLET_EDITION_PROBLEMS)
  message(FATAL_ERROR "No package from this build: ${CPACK_QUILLET_EDITION_PROBLEMS}")
endif()
