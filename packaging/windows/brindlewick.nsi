; SPDX-License-Identifier: GPL-3.0-or-later
; SPDX-FileCopyrightText: 2026 The Brindlewick developers
;
; The Windows installer, made by tools/windows.sh:
;   makensis -DVERSION=x.y.z -DRELEASE=dir -DFILES=files.nsh -DLICENSE=file
;            -DICON=file.ico -DOUTFILE=setup.exe brindlewick.nsi
; RELEASE holds the programs as installed; FILES lists them for the
; uninstaller, which removes exactly what was installed and nothing else.
;
; For everyone on the machine, in Program Files. Silent: setup.exe /S, with
; /ADDTOPATH to put the command-line program on PATH, /D=folder (last) to
; choose where; Uninstall.exe /S removes it all.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
SetCompressorDictSize 32

!include MUI2.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include LogicLib.nsh
!include x64.nsh
!include Sections.nsh

!define NAME "Brindlewick"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlewick"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${NAME} ${VERSION} installer"
VIAddVersionKey "CompanyName" "The Brindlewick developers"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 The Brindlewick developers. GPL-3.0-or-later."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\brindlewick.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The folder that goes on PATH holds the command-line program and only the
; DLLs it needs.
!define CLI_DIR "$INSTDIR\cli"
; What PATH may hold for this installer to read it whole and add the folder
; (NSIS's strings hold NSIS_MAX_STRLEN characters, its end included).
!define /math PATH_ROOM ${NSIS_MAX_STRLEN} - 300

Section "${NAME}" SectionMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${RELEASE}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\brindlewick.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Brindlewick developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brindlewick.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Add the command-line program to PATH" SectionPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ; A PATH longer than NSIS can hold would come back cut short: leave it
  ; alone rather than write that back.
  StrLen $1 $0
  ${If} $1 >= ${PATH_ROOM}
    MessageBox MB_ICONEXCLAMATION "The system's PATH is too long to be changed safely here. To use brindlewick-cli from any folder, add ${CLI_DIR} to PATH by hand." /SD IDOK
    Return
  ${EndIf}
  ${WordFind} "$0" "${CLI_DIR}" "E+1{" $2
  ${If} ${Errors}
    ${If} $0 == ""
      StrCpy $0 "${CLI_DIR}"
    ${Else}
      StrCpy $0 "$0;${CLI_DIR}"
    ${EndIf}
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "AddedToPath" "${CLI_DIR}"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
SectionEnd

; After the sections, which it selects.
Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${NAME} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ADDTOPATH" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionPath}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ; Only the entry this installer added comes off PATH.
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $3 != ""
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    StrLen $1 $0
    ${If} $1 < ${PATH_ROOM}
      ${un.WordReplace} "$0" ";$3" "" "+" $0
      ${un.WordReplace} "$0" "$3;" "" "+" $0
      ${un.WordReplace} "$0" "$3" "" "+" $0
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" $0
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
  Delete "$SMPROGRAMS\${NAME}.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
