; The installer for 64-bit Windows: Tessaly in Program Files, a Start-menu
; entry and an entry in Add/Remove Programs. The uninstaller removes the
; program's files and leaves the user's list in %APPDATA%\Tessaly.
; scripts/package-windows.sh runs makensis with:
;   /DSOURCE_DIR=  the portable folder to install
;   /DFILE_LIST=   an .nsh with a Delete line for each file of it
;   /DDIR_LIST=    an .nsh with an RMDir line for each folder, deepest first
;   /DOUT_FILE=    the installer to write
;   /DICON=        the program's icon, for the installer and the uninstaller
; A 64-bit installer for a 64-bit program: Windows on 32 bits refuses it.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Tessaly"
!define TITLE "Tessaly v1.0f"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${TITLE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${TITLE} installer"
VIAddVersionKey "FileVersion" "1.0f"
VIAddVersionKey "ProductVersion" "1.0f"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2007-2026 Harrow Software"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tessaly"
    SetOutPath "$INSTDIR"
    File /r "${SOURCE_DIR}/*.*"
    ; The program tells an install from a portable folder by this file.
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tessaly.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0f"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Harrow Software"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessaly.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    ; Only what the installer wrote: a folder the user chose may hold more.
    !include "${FILE_LIST}"
    Delete "$INSTDIR\Uninstall.exe"
    !include "${DIR_LIST}"
    RMDir "$INSTDIR"
    ; The program would otherwise be started at log-on from a folder that is gone.
    DeleteRegValue HKLM "${RUN_KEY}" "Tessaly.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Tessaly.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
