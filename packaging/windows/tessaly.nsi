; The installer for 64-bit Windows. It installs Tessaly for the current user
; alone (the default, no administrator: %LOCALAPPDATA%\Programs\Tessaly, the
; user's Start menu, Add/Remove Programs under HKCU) or for everyone
; (administrator: Program Files, the common Start menu, HKLM); an install
; over an earlier one of the same kind keeps its folder. Neither the
; installer nor the uninstaller touches %APPDATA%\Tessaly, where the program
; keeps the list, the settings and the calendar account, nor a Tessaly.dat
; that very old versions kept beside the program.
; Silent switches: /S, /CurrentUser or /AllUsers, /DailyNotification, /D=folder.
; scripts/package-windows.sh runs makensis with:
;   /DSOURCE_DIR=  the portable folder to install
;   /DFILE_LIST=   an .nsh with a Delete line for each file of it
;   /DDIR_LIST=    an .nsh with an RMDir line for each folder, deepest first
;   /DOUT_FILE=    the installer to write
;   /DICON=        the program's icon, for the installer and the uninstaller
; A 64-bit installer for a 64-bit program: Windows on 32 bits refuses it.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Tessaly"
!define VERSION "1.0f"
!define TITLE "Tessaly v${VERSION}"
!define PUBLISHER "Harrow Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The mutex the running program holds in its log-on session.
!define RUNNING_MARK "Local\TessalyRunning"

; Per-user by default; an administrator may choose all users. An earlier
; install's kind and folder are found through its Add/Remove Programs entry,
; which the earlier all-users-only installer wrote under HKLM too.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODEPAGE_SHOWUSERNAME
!define MULTIUSER_INSTALLMODEPAGE_TEXT_ALLUSERS "For everyone using this computer"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_CURRENTUSER "For me only"
!define MULTIUSER_PAGE_CUSTOMFUNCTION_LEAVE Install_Mode_Leave
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

Name "${TITLE}"
OutFile "${OUT_FILE}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${TITLE} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2007-2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Tessaly"
!define MUI_FINISHPAGE_RUN_FUNCTION Start_Tessaly
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Both sides refuse to replace or remove the files of a running Tessaly.
!macro Running_Check_Functions PREFIX
; $0: the reason the program's files cannot be replaced now, or "".
Function ${PREFIX}Program_In_Use
    Push $1
    Push $2
    Push $3
    StrCpy $0 ""
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r1'
    ${If} $1 P<> 0
        System::Call 'kernel32::CloseHandle(p r1)'
        StrCpy $0 "Tessaly is running."
    ${Else}
        ; A copy started in another session holds no mark here, but the
        ; system keeps its program file from being written.
        ClearErrors
        FindFirst $1 $2 "$INSTDIR\*.exe"
        ${DoUntil} ${Errors}
            ${If} $2 != "Uninstall.exe"
                ClearErrors
                FileOpen $3 "$INSTDIR\$2" a
                ${If} ${Errors}
                    StrCpy $0 "$INSTDIR\$2 is in use."
                    ${ExitDo}
                ${Else}
                    FileClose $3
                ${EndIf}
            ${EndIf}
            ClearErrors
            FindNext $1 $2
        ${Loop}
        FindClose $1
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

Function ${PREFIX}Wait_For_Program_Closed
    Push $0
    ${Do}
        Call ${PREFIX}Program_In_Use
        ${If} $0 == ""
            ${ExitDo}
        ${EndIf}
        DetailPrint "$0"
        ; Silent: nothing is changed and the exit code says why.
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0$\r$\n$\r$\nClose Tessaly (File > Exit), then choose Retry. Cancel stops without changing anything." /SD IDCANCEL IDRETRY continue_waiting
        SetErrorLevel 3
        Abort "Tessaly is running: nothing was changed."
        continue_waiting:
    ${Loop}
    Pop $0
FunctionEnd
!macroend
!insertmacro Running_Check_Functions ""
!insertmacro Running_Check_Functions "un."

; Windows shows a desktop program's notifications under the AppUserModelID
; that its Start-menu shortcut carries; tessaly-notify.exe names the same
; one. The shortcut's property store through COM (the System plug-in): a
; system that has none leaves the shortcut as it is.
!define APP_USER_MODEL_ID "HarrowSoftware.Tessaly"
!define CLSID_SHELL_LINK "{00021401-0000-0000-C000-000000000046}"
!define IID_SHELL_LINK_W "{000214F9-0000-0000-C000-000000000046}"
!define IID_PERSIST_FILE "{0000010b-0000-0000-C000-000000000046}"
!define IID_PROPERTY_STORE "{886D8EEB-8CF2-4446-8D02-CDBA1DBDCF99}"
!define FMTID_APP_USER_MODEL "{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}"
Function Set_Shortcut_Model_Id
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    System::Call 'ole32::CoCreateInstance(g "${CLSID_SHELL_LINK}", p 0, i 1, g "${IID_SHELL_LINK_W}", *p .r1) i .r5'
    ${If} $5 = 0
        ; IPersistFile: Load (5) the shortcut for reading and writing.
        System::Call '$1->0(g "${IID_PERSIST_FILE}", *p .r2) i .r5'
        ${If} $5 = 0
            System::Call '$2->5(w r0, i 2) i .r5'
            ${If} $5 = 0
                System::Call '$1->0(g "${IID_PROPERTY_STORE}", *p .r3) i .r5'
                ${If} $5 = 0
                    ; PROPERTYKEY (System.AppUserModel.ID is property 5) and a
                    ; PROPVARIANT of type VT_LPWSTR (31).
                    System::Call '*(g "${FMTID_APP_USER_MODEL}", i 5) p .r4'
                    System::Call '*(&i2 31, &i2 0, &i2 0, &i2 0, w "${APP_USER_MODEL_ID}", p 0) p .r6'
                    ; SetValue (6), Commit (7), then IPersistFile::Save (6).
                    System::Call '$3->6(p r4, p r6) i .r5'
                    ${If} $5 = 0
                        System::Call '$3->7() i .r5'
                    ${EndIf}
                    ${If} $5 = 0
                        System::Call '$2->6(p 0, i 1) i .r5'
                    ${EndIf}
                    ${If} $5 <> 0
                        DetailPrint "The Start-menu shortcut keeps no program ID (error $5): notifications show under the notifier's name."
                    ${EndIf}
                    System::Free $4
                    System::Free $6
                    System::Call '$3->2()'
                ${EndIf}
            ${EndIf}
            System::Call '$2->2()'
        ${EndIf}
        System::Call '$1->2()'
    ${EndIf}
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

Section "Tessaly" Program_Section
    SectionIn RO
    Call Wait_For_Program_Closed
    SetOutPath "$INSTDIR"
    File /r "${SOURCE_DIR}/*.*"
    ; The program tells an install from a portable folder by this file.
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; MultiUser set the shell folders and SHCTX to the install's kind.
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tessaly.exe"
    Push "$SMPROGRAMS\${PRODUCT}.lnk"
    Call Set_Shortcut_Model_Id

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${TITLE}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tessaly.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Daily notification of coming events" Notification_Section
    DetailPrint "Turning on the daily notification"
    nsExec::ExecToLog '"$INSTDIR\tessaly-report.exe" --daily-notification on'
    Pop $0
    ; The program works without it: the user can turn it on later.
    ${If} $0 != 0
        DetailPrint "The daily notification could not be turned on (exit code $0); Tessaly is installed without it."
    ${EndIf}
SectionEnd

Function .onInit
    ; /D= sets the folder before this runs; MultiUser would replace it.
    StrCpy $R9 $INSTDIR
    !insertmacro MULTIUSER_INIT
    ${If} $R9 != ""
        StrCpy $INSTDIR $R9
    ${EndIf}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/DailyNotification" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${Notification_Section}
    ${EndIf}
    ; Without an administrator's rights there is no choice to make, but the
    ; user should know that the copy for everyone stays as it is.
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
        ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $R1 != ""
        ${AndIf} $R2 == ""
            MessageBox MB_YESNO|MB_ICONQUESTION "Tessaly is installed for everyone using this computer, in $R1. To update that copy, start this setup program as an administrator.$\r$\n$\r$\nInstall a copy of Tessaly for you only? It uses the same list and settings." /SD IDYES IDYES +2
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; "For me only" beside a copy for everyone makes two Start-menu entries of
; the same name: the user says whether that is meant.
Function Install_Mode_Leave
    ${If} $MultiUser.InstallMode == "CurrentUser"
        ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $R1 != ""
        ${AndIf} $R2 == ""
            MessageBox MB_YESNO|MB_ICONQUESTION "Tessaly is already installed for everyone using this computer, in $R1. Choose $\"For everyone$\" to update that copy.$\r$\n$\r$\nInstall a second copy for you only? It uses the same list and settings." IDYES +2
            Abort
        ${EndIf}
    ${EndIf}
FunctionEnd

Function Start_Tessaly
    ${If} $MultiUser.Privileges == "Admin"
        ; Through the shell, so that the program runs as the user and not
        ; with the installer's administrator rights.
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\Tessaly.exe"'
    ${Else}
        Exec '"$INSTDIR\Tessaly.exe"'
    ${EndIf}
FunctionEnd

; Uninstall

!define CLSID_ShellLink "{00021401-0000-0000-C000-000000000046}"
!define IID_IShellLinkW "{000214F9-0000-0000-C000-000000000046}"
!define IID_IPersistFile "{0000010b-0000-0000-C000-000000000046}"

; $R1: the target of the shell link $R0, or "" when it cannot be read.
Function un.Link_Target
    Push $0
    Push $1
    Push $2
    StrCpy $R1 ""
    System::Call 'ole32::CoInitialize(p 0)'
    System::Call 'ole32::CoCreateInstance(g "${CLSID_ShellLink}", p 0, i 1, g "${IID_IShellLinkW}", *p .r1) i .r0'
    ${If} $0 = 0
        System::Call '$1->0(g "${IID_IPersistFile}", *p .r2) i .r0'
        ${If} $0 = 0
            ; IPersistFile::Load, read-only; then IShellLinkW::GetPath.
            System::Call '$2->5(w R0, i 0) i .r0'
            ${If} $0 = 0
                System::Call '$1->3(w .R1, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r0'
            ${EndIf}
            System::Call '$2->2()'
        ${EndIf}
        System::Call '$1->2()'
    ${EndIf}
    System::Call 'ole32::CoUninitialize()'
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

; The shortcuts File > Create Shortcut makes in the current shell context's
; folders, when they start this install's program: one to another copy stays.
Function un.Remove_Program_Shortcuts
    Push $R0
    Push $R1
    Push $R2
    ${For} $R2 1 4
        ${Select} $R2
        ${Case} 1
            StrCpy $R0 "$DESKTOP\${PRODUCT}.lnk"
        ${Case} 2
            StrCpy $R0 "$STARTMENU\${PRODUCT}.lnk"
        ${Case} 3
            StrCpy $R0 "$SMPROGRAMS\${PRODUCT}.lnk"
        ${Case} 4
            StrCpy $R0 "$SENDTO\${PRODUCT}.lnk"
        ${EndSelect}
        ${If} ${FileExists} $R0
            Call un.Link_Target
            ${If} $R1 == "$INSTDIR\Tessaly.exe"
                Delete $R0
                DetailPrint "Removed the shortcut $R0"
            ${EndIf}
        ${EndIf}
    ${Next}
    Pop $R2
    Pop $R1
    Pop $R0
FunctionEnd

; The program's Run value, written quoted or (by earlier versions) not, when
; it starts this install's program.
!macro Remove_Run_Value ROOT
    ReadRegStr $R0 ${ROOT} "${RUN_KEY}" "Tessaly.exe"
    ${If} $R0 == "$INSTDIR\Tessaly.exe"
    ${OrIf} $R0 == '"$INSTDIR\Tessaly.exe"'
        DeleteRegValue ${ROOT} "${RUN_KEY}" "Tessaly.exe"
    ${EndIf}
!macroend

Section "Uninstall"
    Call un.Wait_For_Program_Closed
    ${If} ${FileExists} "$INSTDIR\tessaly-report.exe"
        nsExec::ExecToLog '"$INSTDIR\tessaly-report.exe" --daily-notification off'
        Pop $0
    ${EndIf}

    Call un.Remove_Program_Shortcuts
    ${If} $MultiUser.InstallMode == "AllUsers"
        SetShellVarContext current
        Call un.Remove_Program_Shortcuts
        SetShellVarContext all
    ${EndIf}
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"

    ; Only what the installer wrote: a folder the user chose may hold more,
    ; and an old Tessaly.dat beside the program is the user's list.
    !include "${FILE_LIST}"
    Delete "$INSTDIR\Uninstall.exe"
    !include "${DIR_LIST}"
    RMDir "$INSTDIR"

    ; The program would otherwise be started at log-on from a folder that is gone.
    !insertmacro Remove_Run_Value HKLM
    !insertmacro Remove_Run_Value HKCU
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
    ; MultiUser points $INSTDIR at the install its registry key names; the
    ; uninstaller belongs to the install it sits in, whatever the registry or
    ; the command line says.
    StrCpy $R9 $INSTDIR
    !insertmacro MULTIUSER_UNINIT
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 == $R9
        ${If} $MultiUser.Privileges != "Admin"
        ${AndIf} $MultiUser.Privileges != "Power"
            MessageBox MB_OK|MB_ICONSTOP "Tessaly is installed for everyone using this computer: only an administrator can uninstall it." /SD IDOK
            SetErrorLevel 4
            Quit
        ${EndIf}
        Call un.MultiUser.InstallMode.AllUsers
    ${Else}
        Call un.MultiUser.InstallMode.CurrentUser
    ${EndIf}
    StrCpy $INSTDIR $R9
FunctionEnd
