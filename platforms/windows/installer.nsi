; The Windows installer: the game in Program Files, a Start-menu shortcut, an
; entry in Add/Remove Programs, and an uninstaller that takes all of it away.
; scripts/windows.sh defines VERSION, GAME (the folder to install), ICON and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvelin"
!define SHORTCUT "$SMPROGRAMS\Quorvelin.lnk"

Name "Quorvelin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quorvelin"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Quorvelin"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Quorvelin ${VERSION} installer"
VIAddVersionKey "CompanyName" "The Quorvelin authors"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 The Quorvelin authors"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${GAME}/quorvelin.exe" "${GAME}/quorvelin.bmp" "${GAME}/LICENSE.txt" "${GAME}/README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The game reads its sheet from the folder it starts in: the shortcut starts
  ; it in $OUTDIR, the install folder.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\quorvelin.exe" "" "$INSTDIR\quorvelin.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvelin"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Quorvelin authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvelin.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\quorvelin.exe"
  Delete "$INSTDIR\quorvelin.bmp"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
