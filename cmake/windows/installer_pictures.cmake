# The Windows installer's own pictures, made from the panel's artwork with
# ImageMagick (run with cmake -P by the quillet_installer target,
# cmake/windows/installer.cmake):
#   STAGE/quillet-k3.ico  the large knob's first frame (editor/artwork/png/102.png,
#                         100 x 100 of its strip) at 256, 48, 32 and 16 pixels: the
#                         setup's, the uninstaller's and the Start menu entries' icon;
#   STAGE/finish.bmp      the finish page's picture, 164 x 314 (the size NSIS's
#                         Modern UI shows): the panel's brushed metal, the knob
#                         and the "QUILLET K3" name plate (panel.png).
# Inputs (-D): STAGE, CONVERT (ImageMagick's convert), ARTWORK (editor/artwork).
foreach(var STAGE CONVERT ARTWORK)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "installer_pictures.cmake: ${var} not given")
  endif()
endforeach()

set(knob ${ARTWORK}/png/102.png)
set(panel ${ARTWORK}/panel.png)
function(run_convert)
  execute_process(COMMAND ${CONVERT} ${ARGN} RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "installer_pictures.cmake: ${CONVERT} failed: ${error}")
  endif()
endfunction()

file(MAKE_DIRECTORY ${STAGE})
run_convert(${knob} -crop 100x100+0+0 +repage -define icon:auto-resize=256,48,32,16
  ${STAGE}/quillet-k3.ico)
# A plain 40 x 40 patch of the panel's metal (below the Range labels), tiled;
# the knob above the name plate (x 394, y 303 on the panel, 190 x 72).
run_convert(${panel} -crop 40x40+10+330 +repage ${STAGE}/metal.png)
run_convert(${panel} -crop 190x72+394+303 +repage ${STAGE}/plate.png)
run_convert(-size 164x314 tile:${STAGE}/metal.png
  "(" ${knob} -crop 100x100+0+0 +repage -resize 124x124 ")" -geometry +20+48 -composite
  "(" ${STAGE}/plate.png -resize 156x ")" -geometry +4+214 -composite
  -alpha off BMP3:${STAGE}/finish.bmp)
file(REMOVE ${STAGE}/metal.png ${STAGE}/plate.png)
message(STATUS "installer: icon and finish picture from the panel's artwork")
