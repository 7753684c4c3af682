; The Windows installer and uninstaller of Obelon Pro. Built by the normal Windows build:
;   makensis -DBUILD_DIR=<folder of obelon7.exe> -DSOURCE_DIR=<repository> -DOUT_FILE=<setup.exe> ObelonPro.nsi
; It installs for the whole machine (it writes HKLM), so it asks for administrative rights; /S installs and
; uninstalls without questions for scripted roll-outs.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Obelon Pro"
!define VERSION "7.8.0"
!define PUBLISHER "The Obelon Pro developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ObelonPro"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CONFIG_KEY "Software\OBP"
; The running program is found by its configuration window, which every instance has from its start.
!define PROGRAM_WINDOW_CLASS "ObelonForm"
!define PROGRAM_WINDOW_TITLE "Obelon Pro Configuration Tool"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
; The running program asks for its password before a window with this title can be used.
UninstallCaption "${PRODUCT} 2011 Uninstall"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "7.8.0.0"
VIFileVersion "7.8.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
    ${IfNot} ${RunningX64}
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs a 64-bit edition of Windows." /SD IDOK
        Abort
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

; Ends the running program, found by its window and ended by the id of the process that owns it (names of
; processes are never matched: another program could carry the same name).
!macro EndRunningProgram un
Function ${un}EndRunningProgram
    FindWindow $0 "${PROGRAM_WINDOW_CLASS}" "${PROGRAM_WINDOW_TITLE}"
    ${If} $0 == 0
        Return
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i .r2'
    ${If} $1 == 0
        Return
    ${EndIf}
    ; PROCESS_TERMINATE | SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100001, i 0, i r1) p .r3'
    ${If} $3 == 0
        DetailPrint "The running ${PRODUCT} (process $1) could not be opened."
        Return
    ${EndIf}
    System::Call 'kernel32::TerminateProcess(p r3, i 0) i .r4'
    System::Call 'kernel32::WaitForSingleObject(p r3, i 5000) i .r5'
    System::Call 'kernel32::CloseHandle(p r3)'
    DetailPrint "Ended the running ${PRODUCT} (process $1)."
FunctionEnd
!macroend
!insertmacro EndRunningProgram ""
!insertmacro EndRunningProgram "un."

Section "Obelon Pro" SecMain
    SectionIn RO
    ; A running older copy holds its files open; it is started again at the end.
    Call EndRunningProgram
    SetOutPath "$INSTDIR"
    File "${BUILD_DIR}\obelon7.exe"
    File "${BUILD_DIR}\obext.exe"
    File "${BUILD_DIR}\dexlin.scf"
    SetOutPath "$INSTDIR\policy"
    File "${SOURCE_DIR}\policy\ObelonPro.admx"
    SetOutPath "$INSTDIR\policy\en-US"
    File "${SOURCE_DIR}\policy\en-US\ObelonPro.adml"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\obelon7.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Policy Extension.lnk" "$INSTDIR\obext.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\obelon7.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, as the Programs and Features list shows it.
    SectionGetSize ${SecMain} $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The program writes its own Run-key entry on its first start.
    Exec '"$INSTDIR\obelon7.exe"'
SectionEnd

Section "Uninstall"
    Call un.EndRunningProgram
    Delete "$INSTDIR\obelon7.exe"
    Delete "$INSTDIR\obext.exe"
    Delete "$INSTDIR\dexlin.scf"
    Delete "$INSTDIR\policy\en-US\ObelonPro.adml"
    RMDir "$INSTDIR\policy\en-US"
    Delete "$INSTDIR\policy\ObelonPro.admx"
    RMDir "$INSTDIR\policy"
    Delete "$INSTDIR\uninstall.exe"
    ; Only an empty folder goes: whatever else the administrator put there stays.
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Policy Extension.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    DeleteRegValue HKLM "${RUN_KEY}" "Obelon Pro"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; The configuration (tasks, password, settings) is kept unless the administrator says otherwise, so that a
    ; reinstallation finds it again; a silent uninstall always keeps it.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 \
        "Keep the ${PRODUCT} configuration (locked tasks, password and settings) on this computer?" \
        /SD IDYES IDYES keep
    DeleteRegKey HKLM "${CONFIG_KEY}"
    keep:
SectionEnd
