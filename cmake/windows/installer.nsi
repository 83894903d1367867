; The Windows installer: each edition where hosts look for it (the VST3 and
; CLAP plug-ins carry their factory presets; the VST 2.4 plug-in gets them
; as .fxp files beside it), quillet-host with the manual, and an
; uninstaller listed in "Apps & features" that removes exactly what was
; written. cmake/windows/installer.cmake runs makensis on this script with the
; product's identity (QUILLET_* defines) and the staged build (QUILLET_STAGE,
; whose files.nsh lists every file of each group).
;
; Silent use, for deployment by script (an install over another keeps its
; choices and folders unless told otherwise):
;   quillet-k3-VERSION-win64-setup.exe /S [/VST2DIR=FOLDER] [/NOPANEL]
;     [/NOVST3] [/NOCLAP] [/NOVST2] [/NOPRESETS] [/NOHOST] [/D=INSTALL FOLDER]
;   "INSTALL FOLDER\Uninstall.exe" /S
; Exit codes, each with its one meaning (a silent run says which on standard
; error, a run with its window in a message box):
;   0  installed (removed, for the uninstaller)
;   1  cancelled in the window
;   2  stopped by NSIS itself: the setup file is damaged (download it again)
;   3  the command line is wrong: an unknown option, or /VST2DIR= without an
;      absolute folder
;   4  a folder cannot be made (the VST 2 folder or the install folder: a
;      drive that does not exist, a folder without write access)
;   5  a file cannot be written or deleted: a running host holds it (close
;      the host and run it again; nothing is skipped)

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true
; A file that cannot be written (a host holding the DLL open) is retried or
; stops the install, never skipped: a silent install then ends with an error
; code instead of reporting a half-replaced plug-in as installed.
AllowSkipFiles off

!define EXIT_CANCELLED 1
!define EXIT_OPTIONS 3
!define EXIT_FOLDER 4
!define EXIT_FILE 5

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include StrFunc.nsh
${Using:StrFunc} StrRep
!include "${QUILLET_STAGE}\files.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${QUILLET_VENDOR} ${QUILLET_PRODUCT_NAME}"
!define START_MENU "$SMPROGRAMS\${QUILLET_PRODUCT_NAME}"
!define MANUAL_LINK "${START_MENU}\${QUILLET_PRODUCT_NAME} Manual.lnk"
!define HOST_LINK "${START_MENU}\quillet-host.lnk"
!define FXP_FOLDER "${QUILLET_PRODUCT_NAME} presets"
!define VST2_PANEL_DLL "QTAPG_x64.dll"
!define VST2_PLAIN_DLL "QTAP_x64.dll"

Name "${QUILLET_PRODUCT_NAME} ${QUILLET_VERSION}"
OutFile "${QUILLET_OUT_FILE}"
InstallDir "$PROGRAMFILES64\${QUILLET_VENDOR}\${QUILLET_PRODUCT_NAME}"
; An install replaces the one before it, in its folder (/D= overrides).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${QUILLET_VENDOR}"

; The version record, as the plug-ins carry it.
VIProductVersion "${QUILLET_VERSION}.0"
VIFileVersion "${QUILLET_VERSION}.0"
VIAddVersionKey "FileDescription" "Digital Echo VST"
VIAddVersionKey "FileVersion" "${QUILLET_FILE_VERSION}"
VIAddVersionKey "ProductVersion" "${QUILLET_FILE_VERSION}"
VIAddVersionKey "ProductName" "${QUILLET_PRODUCT_NAME}"
VIAddVersionKey "CompanyName" "${QUILLET_VENDOR}"
VIAddVersionKey "LegalCopyright" "${QUILLET_COPYRIGHT}"
VIAddVersionKey "InternalName" "quillet-k3-setup"
VIAddVersionKey "OriginalFilename" "quillet-k3-${QUILLET_VERSION}-win64-setup.exe"

Var Vst2Dir
; What a stop says, and the file being written when one fails.
Var FailText
Var Writing
; The VST 2.4 section ticked before the last change on the components page
; (0 for none): of the two DLLs at most one is ticked, the one ticked last.
Var Vst2Ticked

; Our own pictures, made from the panel's artwork
; (cmake/windows/installer_pictures.cmake).
!define MUI_ICON "${QUILLET_STAGE}\quillet-k3.ico"
!define MUI_UNICON "${QUILLET_STAGE}\quillet-k3.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${QUILLET_STAGE}\finish.bmp"

; The pages, in the order the README gives them: the licence, the parts, the
; VST 2 folder (when a VST 2.4 build is ticked), the folder of quillet-host,
; the manual and the uninstaller, the install, the finish.
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${QUILLET_STAGE}\files\core\LICENSE.txt"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Tick at most one of the two VST 2.4 builds: they share one ID, and a host shows only one of them."
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_HEADER_TEXT "VST 2.4 Plug-in Folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose the folder your VST 2 host scans."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will put the VST 2.4 plug-in in this folder, and its presets in the folder $\"${FXP_FOLDER}$\" beside it. Pick the folder your host scans for VST 2 plug-ins (its plug-in settings show the list)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST 2.4 plug-in folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Vst2Dir
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWithoutVst2
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckVst2Folder
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will put quillet-host, the manual and the uninstaller in this folder. The plug-ins go where hosts look for them."
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckInstallFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${QUILLET_PRODUCT_NAME} is installed. Start (or restart) your host and let it rescan its plug-ins: it lists $\"${QUILLET_PRODUCT_NAME}$\" by ${QUILLET_VENDOR}."
; Ticked: the manual opens in the web browser when the page closes.
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${QUILLET_MANUAL_START}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the manual"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW OfferManual
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Before anything is written: the folders can be made (a silent run has seen
; no folder page).
Section "-Folders" SecFolders
  Call MakeFoldersOrStop
  ; From here a failed write stops the install with this code (.onInstFailed
  ; says which file); .onInstSuccess sets 0.
  SetErrorLevel ${EXIT_FILE}
SectionEnd

; The previous install, removed by its own uninstaller (which knows what it
; wrote) before anything is written: a new install replaces it whole, in
; whichever folders it chose.
Section "-Previous install" SecPrevious
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Uninstall.exe"
    DetailPrint "Removing the installed ${QUILLET_PRODUCT_NAME} from $0"
    ; Run in place (_?=) so that ExecWait waits; it cannot delete itself then.
    ExecWait '"$0\Uninstall.exe" /S _?=$0' $1
    ${If} $1 != 0
      StrCpy $FailText "the installed ${QUILLET_PRODUCT_NAME} could not be removed first (its uninstaller ended with $1): a running host holds one of its files; close it and run this again"
      Push ${EXIT_FILE}
      Call Stop
    ${EndIf}
    Delete "$0\Uninstall.exe"
    RMDir "$0"
  ${EndIf}
SectionEnd

; The uninstaller and its entry come before the plug-ins: an install stopped
; part-way (a file it could not write) can still be removed.
Section "-Licence texts and uninstaller" SecCore
  !insertmacro QUILLET_INSTALL_core "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  Call WriteUninstallEntry
SectionEnd

Section "VST3 plug-in" SecVst3
  !insertmacro QUILLET_INSTALL_vst3 "$COMMONFILES64\VST3"
SectionEnd

Section "CLAP plug-in" SecClap
  !insertmacro QUILLET_INSTALL_clap "$COMMONFILES64\CLAP"
SectionEnd

; Two sections side by side rather than a group, whose own box would tick both.
Section "VST 2.4 with panel" SecVst2Panel
  ; One ID, one DLL: a copy of the other build in this folder goes.
  Delete "$Vst2Dir\${VST2_PLAIN_DLL}"
  !insertmacro QUILLET_INSTALL_vst2_panel "$Vst2Dir"
SectionEnd

Section /o "VST 2.4 without panel" SecVst2Plain
  Delete "$Vst2Dir\${VST2_PANEL_DLL}"
  !insertmacro QUILLET_INSTALL_vst2_plain "$Vst2Dir"
SectionEnd

Section "VST 2.4 presets (.fxp)" SecPresets
  ${If} ${SectionIsSelected} ${SecVst2Panel}
  ${OrIf} ${SectionIsSelected} ${SecVst2Plain}
    !insertmacro QUILLET_INSTALL_fxp "$Vst2Dir\${FXP_FOLDER}"
  ${EndIf}
SectionEnd

Section "quillet-host and manual" SecHost
  !insertmacro QUILLET_INSTALL_host "$INSTDIR"
  CreateDirectory "${START_MENU}"
  ; Both entries with our icon, the uninstaller's.
  CreateShortcut "${MANUAL_LINK}" "$INSTDIR\${QUILLET_MANUAL_START}" "" "$INSTDIR\Uninstall.exe" 0
  ; A command prompt in the program's folder, showing its commands.
  SetOutPath "$INSTDIR"
  CreateShortcut "${HOST_LINK}" "$SYSDIR\cmd.exe" "/k quillet-host.exe" "$INSTDIR\Uninstall.exe" 0
SectionEnd

!macro AddSectionSize SECTION
  ${If} ${SectionIsSelected} ${SECTION}
    SectionGetSize ${SECTION} $1
    IntOp $0 $0 + $1
  ${EndIf}
!macroend

; The entry in "Apps & features", with what the uninstaller needs to know:
; which groups go in, and the VST 2.4 folder.
Function WriteUninstallEntry
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${QUILLET_PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${QUILLET_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${QUILLET_VENDOR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${QUILLET_URL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  StrCpy $0 0
  !insertmacro AddSectionSize ${SecCore}
  !insertmacro AddSectionSize ${SecVst3}
  !insertmacro AddSectionSize ${SecClap}
  !insertmacro AddSectionSize ${SecVst2Panel}
  !insertmacro AddSectionSize ${SecVst2Plain}
  !insertmacro AddSectionSize ${SecPresets}
  !insertmacro AddSectionSize ${SecHost}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0  ; KiB

  ${If} ${SectionIsSelected} ${SecVst3}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Vst3" 1
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecClap}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Clap" 1
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst2Panel}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Module" "${VST2_PANEL_DLL}"
  ${ElseIf} ${SectionIsSelected} ${SecVst2Plain}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Module" "${VST2_PLAIN_DLL}"
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst2Panel}
  ${OrIf} ${SectionIsSelected} ${SecVst2Plain}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Folder" "$Vst2Dir"
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecPresets}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Presets" 1
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecHost}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Host" 1
  ${EndIf}
FunctionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst3} "The VST3 plug-in with its panel and factory presets, where every VST3 host looks."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecClap} "The CLAP plug-in with its panel and factory presets, where CLAP hosts look."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2Panel} "QTAPG_x64.dll, the VST 2.4 plug-in with its panel, in the VST 2 folder asked next."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVst2Plain} "QTAP_x64.dll, without panel: for hosts that show their own controls, or a second instance without a window."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPresets} "The factory presets as .fxp files beside the VST 2.4 plug-in (the others carry them)."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecHost} "quillet-host, which renders audio files through the plug-ins, and the manual."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; A component the install before left out stays out.
!macro KeepPreviousChoice VALUE SECTION
  ReadRegDWORD $R2 HKLM "${UNINSTALL_KEY}" "${VALUE}"
  ${If} $R2 != 1
    !insertmacro UnselectSection ${SECTION}
  ${EndIf}
!macroend

; Options of a silent install: /NOname leaves a component out.
!macro LeaveOutOnRequest OPTION SECTION
  ClearErrors
  ${GetOptions} $R0 "${OPTION}" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SECTION}
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ; The VST 2.4 folder: the command line's, else the previous install's,
  ; else the usual one.
  ReadRegStr $Vst2Dir HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ${If} $Vst2Dir == ""
    StrCpy $Vst2Dir "$PROGRAMFILES64\VSTPlugins"
  ${EndIf}
  ; Quotes go first: "/VST2DIR=C:\My Plugins" and /VST2DIR="C:\My Plugins"
  ; name the same folder.
  ; An install over another starts from its choices.
  ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" "DisplayName"
  ${If} $R2 != ""
    !insertmacro KeepPreviousChoice "Vst3" ${SecVst3}
    !insertmacro KeepPreviousChoice "Clap" ${SecClap}
    !insertmacro KeepPreviousChoice "Presets" ${SecPresets}
    !insertmacro KeepPreviousChoice "Host" ${SecHost}
    ReadRegStr $R2 HKLM "${UNINSTALL_KEY}" "Vst2Module"
    ${If} $R2 == "${VST2_PLAIN_DLL}"
      !insertmacro UnselectSection ${SecVst2Panel}
      !insertmacro SelectSection ${SecVst2Plain}
    ${ElseIf} $R2 == ""
      !insertmacro UnselectSection ${SecVst2Panel}
    ${EndIf}
  ${EndIf}
  ${GetParameters} $R0
  ${StrRep} $R0 $R0 '"' ''
  Call CheckOptions
  ClearErrors
  ${GetOptions} $R0 "/VST2DIR=" $R1
  ${IfNot} ${Errors}
    ; An absolute folder: a drive's (X:\...) or a share's (\\server\...).
    StrCpy $R2 $R1 2 1
    StrCpy $R3 $R1 2
    ${If} $R2 != ":\"
    ${AndIf} $R3 != "\\"
      StrCpy $FailText "/VST2DIR= wants an absolute folder, such as /VST2DIR=C:\Program Files\VSTPlugins (got $\"$R1$\")"
      Push ${EXIT_OPTIONS}
      Call Stop
    ${EndIf}
    StrCpy $Vst2Dir $R1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOPANEL" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecVst2Panel}
    !insertmacro SelectSection ${SecVst2Plain}
  ${EndIf}
  !insertmacro LeaveOutOnRequest "/NOVST3" ${SecVst3}
  !insertmacro LeaveOutOnRequest "/NOCLAP" ${SecClap}
  !insertmacro LeaveOutOnRequest "/NOVST2" ${SecVst2Panel}
  !insertmacro LeaveOutOnRequest "/NOVST2" ${SecVst2Plain}
  !insertmacro LeaveOutOnRequest "/NOPRESETS" ${SecPresets}
  !insertmacro LeaveOutOnRequest "/NOHOST" ${SecHost}
  Call NoteVst2Ticked
FunctionEnd

; Every option of the command line ($R0, without quotes) is one this
; installer knows: an option is a word starting with / at the start or after
; a space; /D= (NSIS's, last) ends the options.
Function CheckOptions
  StrLen $1 $R0
  StrCpy $2 0  ; position
  ${DoWhile} $2 < $1
    StrCpy $3 $R0 1 $2
    StrCpy $4 " "
    ${If} $2 > 0
      IntOp $5 $2 - 1
      StrCpy $4 $R0 1 $5
    ${EndIf}
    ${If} $3 == "/"
    ${AndIf} $4 == " "
      ; The option's name: up to a space or "=" (kept).
      StrCpy $6 ""
      IntOp $5 $2 + 1
      ${Do}
        StrCpy $7 $R0 1 $5
        ${If} $7 == ""
        ${OrIf} $7 == " "
          ${Break}
        ${EndIf}
        StrCpy $6 "$6$7"
        IntOp $5 $5 + 1
        ${IfThen} $7 == "=" ${|} ${Break} ${|}
      ${Loop}
      ${If} $6 == "D="
        ${Break}
      ${EndIf}
      ${Select} $6
        ${Case5} "S" "NCRC" "VST2DIR=" "NOPANEL" "NOVST3"
        ${Case5} "NOCLAP" "NOVST2" "NOPRESETS" "NOHOST" "?"
        ${CaseElse}
          StrCpy $FailText "unknown option /$6 (the options: /S /VST2DIR=FOLDER /NOPANEL /NOVST3 /NOCLAP /NOVST2 /NOPRESETS /NOHOST /D=FOLDER)"
          Push ${EXIT_OPTIONS}
          Call Stop
      ${EndSelect}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
FunctionEnd

; Ends the run with the exit code on the stack, saying $FailText: on
; standard error in a silent run (the console of the prompt it was started
; from, or where that stream goes), in a message box otherwise.
Function Stop
  Exch $0
  SetErrorLevel $0
  ${If} ${Silent}
    StrCpy $1 "quillet-k3 setup: $FailText (exit code $0)"
    Push $1
    Call TellStandardError
  ${Else}
    MessageBox MB_ICONSTOP|MB_OK "$FailText"
  ${EndIf}
  Quit
FunctionEnd

; The line on the stack, on standard error.
!macro TELL_STANDARD_ERROR UN
Function ${UN}TellStandardError
  Exch $1
  Push $0
  Push $2
  Push $3
  ; A program with a window has no console of its own: the prompt's, if any.
  System::Call 'kernel32::AttachConsole(i -1)'
  System::Call 'kernel32::GetStdHandle(i -12)p.r0'
  ${If} $0 P<> 0
  ${AndIf} $0 P<> -1
    StrCpy $1 "$1$\r$\n"
    StrLen $2 $1
    System::Call 'kernel32::WriteFile(p r0, m r1, i r2, *i .r3, p 0)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd
!macroend
!insertmacro TELL_STANDARD_ERROR ""
!insertmacro TELL_STANDARD_ERROR "un."

; The folder on the stack exists or can be made; otherwise the run stops
; with EXIT_FOLDER before anything is written.
Function MakeFolderOrStop
  Exch $0
  ClearErrors
  CreateDirectory "$0"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$0\*.*"
    StrCpy $FailText "cannot make the folder $0 (a drive that does not exist, or no write access there)"
    Push ${EXIT_FOLDER}
    Call Stop
  ${EndIf}
  Pop $0
FunctionEnd

Function MakeFoldersOrStop
  ${If} ${SectionIsSelected} ${SecVst2Panel}
  ${OrIf} ${SectionIsSelected} ${SecVst2Plain}
    Push $Vst2Dir
    Call MakeFolderOrStop
  ${EndIf}
  Push $INSTDIR
  Call MakeFolderOrStop
FunctionEnd

; The folder pages: a folder that cannot be made is said at once, and the
; page stays.
!macro CheckFolderPage FOLDER
  ClearErrors
  CreateDirectory "${FOLDER}"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "${FOLDER}\*.*"
    MessageBox MB_ICONEXCLAMATION|MB_OK "Setup cannot make the folder ${FOLDER}. Choose another."
    Abort
  ${EndIf}
!macroend
Function CheckVst2Folder
  !insertmacro CheckFolderPage $Vst2Dir
FunctionEnd
Function CheckInstallFolder
  !insertmacro CheckFolderPage $INSTDIR
FunctionEnd

; "Open the manual" only when it went in.
Function OfferManual
  ${IfNot} ${SectionIsSelected} ${SecHost}
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.ShowReadme ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  SetErrorLevel 0
FunctionEnd

; A file that could not be written (the error level is EXIT_FILE already).
Function .onInstFailed
  ${If} ${Silent}
    Push "quillet-k3 setup: cannot write $Writing: a running host holds it; close the host and run this again (exit code ${EXIT_FILE})"
    Call TellStandardError
  ${EndIf}
FunctionEnd

Function NoteVst2Ticked
  ${If} ${SectionIsSelected} ${SecVst2Panel}
    StrCpy $Vst2Ticked ${SecVst2Panel}
  ${ElseIf} ${SectionIsSelected} ${SecVst2Plain}
    StrCpy $Vst2Ticked ${SecVst2Plain}
  ${Else}
    StrCpy $Vst2Ticked 0
  ${EndIf}
FunctionEnd

; Both VST 2.4 builds ticked: the one ticked before gives way to the one
; just clicked.
Function .onSelChange
  ${If} ${SectionIsSelected} ${SecVst2Panel}
  ${AndIf} ${SectionIsSelected} ${SecVst2Plain}
    ${If} $Vst2Ticked == ${SecVst2Panel}
      !insertmacro UnselectSection ${SecVst2Panel}
    ${Else}
      !insertmacro UnselectSection ${SecVst2Plain}
    ${EndIf}
  ${EndIf}
  Call NoteVst2Ticked
FunctionEnd

Function SkipWithoutVst2
  ${IfNot} ${SectionIsSelected} ${SecVst2Panel}
  ${AndIfNot} ${SectionIsSelected} ${SecVst2Plain}
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

; Removes what the install wrote, as its entry records it; folders go when
; emptied, the hosts' shared folders stay.
Section "Uninstall"
  StrCpy $R9 0  ; 1 when a file stays (a host holds it open)
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "Vst3"
  ${If} $0 == 1
    !insertmacro QUILLET_REMOVE_vst3 "$COMMONFILES64\VST3" $R9
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "Clap"
  ${If} $0 == 1
    !insertmacro QUILLET_REMOVE_clap "$COMMONFILES64\CLAP" $R9
  ${EndIf}
  ReadRegStr $Vst2Dir HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "Vst2Module"
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "Presets"
  ${If} $Vst2Dir != ""
    ${If} $1 == "${VST2_PANEL_DLL}"
      !insertmacro QUILLET_REMOVE_vst2_panel "$Vst2Dir" $R9
    ${ElseIf} $1 == "${VST2_PLAIN_DLL}"
      !insertmacro QUILLET_REMOVE_vst2_plain "$Vst2Dir" $R9
    ${EndIf}
    ${If} $0 == 1
      !insertmacro QUILLET_REMOVE_fxp "$Vst2Dir\${FXP_FOLDER}" $R9
      RMDir "$Vst2Dir\${FXP_FOLDER}"
    ${EndIf}
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "Host"
  ${If} $0 == 1
    !insertmacro QUILLET_REMOVE_host "$INSTDIR" $R9
    Delete "${MANUAL_LINK}"
    Delete "${HOST_LINK}"
    RMDir "${START_MENU}"
  ${EndIf}
  !insertmacro QUILLET_REMOVE_core "$INSTDIR" $R9
  ${If} $R9 == 1
    ; The uninstaller and its entry stay for a second run.
    ${If} ${Silent}
      Push "quillet-k3 uninstall: some files are in use and were not removed: close your host and run the uninstaller again (exit code ${EXIT_FILE})"
      Call un.TellStandardError
    ${Else}
      MessageBox MB_ICONEXCLAMATION|MB_OK "Some files of ${QUILLET_PRODUCT_NAME} are in use and were not removed. Close your host and run the uninstaller again."
    ${EndIf}
    SetErrorLevel ${EXIT_FILE}
    Return
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; The vendor's folder, when it was the default one's and is empty now.
  ${If} "$INSTDIR" == "$PROGRAMFILES64\${QUILLET_VENDOR}\${QUILLET_PRODUCT_NAME}"
    RMDir "$PROGRAMFILES64\${QUILLET_VENDOR}"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
