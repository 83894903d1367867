# Stages what the Windows installer packs and writes its file lists (run with
# cmake -P by the quillet_installer target, cmake/windows/installer.cmake).
#
# Each group of files gets a folder under STAGE/files and two macros in
# STAGE/files.nsh: QUILLET_INSTALL_<group> ROOT writes the group's files under
# ROOT (the folder it goes to on the user's machine, an NSIS expression), and
# QUILLET_REMOVE_<group> ROOT KEPT deletes exactly those files, sets the
# variable KEPT to 1 when one of them stays (in use), and removes the folders
# below ROOT they made, deepest first (RMDir leaves a folder that still holds
# something). ROOT itself is the script's to remove or keep: the hosts'
# shared folders stay.
#
# Groups that may be empty (the .fxp presets, the manual) define
# QUILLET_HAS_<group> when they hold a file.
#
# Inputs (-D): STAGE, VST3_BUNDLE, CLAP, VST2_PANEL, VST2_PLAIN, HOST, STRIP,
# LICENSE, NOTICES, README_WINDOWS, FXP_DIR, MANUAL_DIR.

foreach(var STAGE VST3_BUNDLE CLAP VST2_PANEL VST2_PLAIN HOST STRIP LICENSE NOTICES README_WINDOWS)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "installer_stage.cmake: ${var} not given")
  endif()
endforeach()

set(files ${STAGE}/files)
file(REMOVE_RECURSE ${files})
file(MAKE_DIRECTORY ${files})

# Text for Windows: CRLF line ends, whatever the tree has.
function(stage_text source dest)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${dest} "${text}")
endfunction()

file(COPY ${VST3_BUNDLE} DESTINATION ${files}/vst3)
file(COPY ${CLAP} DESTINATION ${files}/clap)
file(COPY ${VST2_PANEL} DESTINATION ${files}/vst2_panel)
file(COPY ${VST2_PLAIN} DESTINATION ${files}/vst2_plain)
stage_text(${LICENSE} ${files}/core/LICENSE.txt)
stage_text(${NOTICES} ${files}/core/THIRD-PARTY-NOTICES.txt)

# quillet-host, stripped (the plug-ins are stripped when linked).
file(MAKE_DIRECTORY ${files}/host)
get_filename_component(host_name ${HOST} NAME)
execute_process(COMMAND ${STRIP} -o ${files}/host/${host_name} ${HOST} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "installer_stage.cmake: ${STRIP} failed on ${HOST}")
endif()

# The manual: the musician's manual when a build made one, else the README
# the archive carries. MANUAL_START is the page the Start menu opens.
if(MANUAL_DIR AND EXISTS ${MANUAL_DIR}/index.html)
  file(COPY ${MANUAL_DIR}/ DESTINATION ${files}/host/manual)
  set(manual_start "manual\\index.html")
else()
  file(COPY ${README_WINDOWS} DESTINATION ${files}/host)
  get_filename_component(readme_name ${README_WINDOWS} NAME)
  set(manual_start "${readme_name}")
endif()

file(MAKE_DIRECTORY ${files}/fxp)
if(FXP_DIR)
  file(GLOB fxp ${FXP_DIR}/*.fxp)
  if(fxp)
    file(COPY ${fxp} DESTINATION ${files}/fxp)
  endif()
endif()

# A path as an NSIS string: backslashes, and $ doubled.
function(nsis_path out path)
  string(REPLACE "/" "\\" path "${path}")
  string(REPLACE "$" "$$" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(nsh "; Written by cmake/windows/installer_stage.cmake: the files of each group.\n")
string(APPEND nsh "!define QUILLET_MANUAL_START \"${manual_start}\"\n")
foreach(group core host vst3 clap vst2_panel vst2_plain fxp)
  set(dir ${files}/${group})
  file(GLOB_RECURSE entries RELATIVE ${dir} LIST_DIRECTORIES false ${dir}/*)
  file(GLOB_RECURSE dirs RELATIVE ${dir} LIST_DIRECTORIES true ${dir}/*)
  list(REMOVE_ITEM dirs ${entries} "")
  list(SORT entries)
  list(LENGTH entries count)
  if(count GREATER 0)
    string(APPEND nsh "!define QUILLET_HAS_${group}\n")
  endif()
  set(install "")
  set(remove "")
  set(out_dir "-")
  foreach(entry IN LISTS entries)
    get_filename_component(sub ${entry} DIRECTORY)
    nsis_path(sub_nsis "${sub}")
    if(NOT sub STREQUAL out_dir)
      if(sub STREQUAL "")
        string(APPEND install "  SetOutPath \"\${ROOT}\"\n")
      else()
        string(APPEND install "  SetOutPath \"\${ROOT}\\${sub_nsis}\"\n")
      endif()
      set(out_dir "${sub}")
    endif()
    nsis_path(source "${dir}/${entry}")
    nsis_path(target "${entry}")
    # makensis reads the source with / on Debian.
    string(REPLACE "\\" "/" source "${source}")
    # The file being written, for the line a failed install prints.
    string(APPEND install "  StrCpy $Writing \"\${ROOT}\\${target}\"\n  File \"${source}\"\n")
    string(APPEND remove "  Delete \"\${ROOT}\\${target}\"\n"
      "  IfFileExists \"\${ROOT}\\${target}\" 0 +2\n"
      "    StrCpy \${KEPT} 1\n")
  endforeach()
  # Deepest first, so each folder is empty when its turn comes.
  list(SORT dirs)
  list(REVERSE dirs)
  foreach(sub IN LISTS dirs)
    nsis_path(sub_nsis "${sub}")
    string(APPEND remove "  RMDir \"\${ROOT}\\${sub_nsis}\"\n")
  endforeach()
  string(APPEND nsh "!macro QUILLET_INSTALL_${group} ROOT\n${install}!macroend\n")
  string(APPEND nsh "!macro QUILLET_REMOVE_${group} ROOT KEPT\n${remove}!macroend\n")
  message(STATUS "installer: ${group}: ${count} files")
endforeach()
file(WRITE ${STAGE}/files.nsh "${nsh}")
