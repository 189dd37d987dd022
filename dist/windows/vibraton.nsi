; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: installs the portable folder for the current user, without
; administrator rights, with a Start-menu entry and an uninstaller that removes all of it.
; scripts/windows runs it:
;   makensis -DVERSION=0.94 -DSTAGE=folder -DICON=vibraton.ico -DFILES=files.nsh
;            -DOUTFILE=setup.exe vibraton.nsi
; FILES lists the removal of every installed file and folder, made from the folder itself, so
; the uninstaller deletes exactly what was installed and nothing else the user put there.
; The program is 64-bit only, and so is the installer: Wine without its 32-bit part runs it.
Target amd64-unicode
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vibraton"
; Lesson files (*.vibraton) open in the program with a double click, for this user only.
!define LESSON_TYPE "Vibraton.Hodnoty"
!define CLASSES "Software\Classes"

Name "Vibraton ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Vibraton"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1029 "ProductName" "Vibraton"
VIAddVersionKey /LANG=1029 "FileDescription" "Instalace programu Vibraton"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "GNU GPL 3 nebo pozdější"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vibraton.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Vibraton.lnk" "$INSTDIR\vibraton.exe" "" \
        "$INSTDIR\vibraton.exe" 0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vibraton"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vibraton.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKCU "${CLASSES}\.vibraton" "" "${LESSON_TYPE}"
    WriteRegStr HKCU "${CLASSES}\${LESSON_TYPE}" "" "Hodnoty pro Vibraton"
    WriteRegStr HKCU "${CLASSES}\${LESSON_TYPE}\DefaultIcon" "" "$INSTDIR\vibraton.exe,0"
    WriteRegStr HKCU "${CLASSES}\${LESSON_TYPE}\shell\open\command" "" \
        '"$INSTDIR\vibraton.exe" "%1"'
    ; SHCNE_ASSOCCHANGED: Explorer shows the new icon and opens the files without a restart.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Vibraton.lnk"
    !include "${FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${CLASSES}\${LESSON_TYPE}"
    ; The suffix only while it is still ours: another program may have taken it since.
    ReadRegStr $0 HKCU "${CLASSES}\.vibraton" ""
    StrCmp $0 "${LESSON_TYPE}" 0 +2
        DeleteRegKey HKCU "${CLASSES}\.vibraton"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
