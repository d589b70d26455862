; The Windows installer: the programs, the Qt and MinGW libraries they load, a Start menu entry
; and an uninstaller. scripts/package-windows.sh defines VERSION (the project's), STAGE (the
; folder whose files are installed), ICON, FILES (the uninstaller's list of them) and OUTFILE.
Unicode true
; A 64-bit installer; the default 32-bit one does not run where only 64-bit Windows
; programs can.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "x64.nsh"

Name "Dawnbell ${VERSION}"
OutFile "${OUTFILE}"
; Fixed, because the Task Scheduler definition names dawnbell-send.exe in this folder.
InstallDir "$PROGRAMFILES64\Dawnbell"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Dawnbell"
VIAddVersionKey "CompanyName" "Company"
VIAddVersionKey "FileDescription" "Dawnbell installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dawnbell"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Dawnbell"
    SetRegView 64
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The panel keeps its settings in the user's roaming folder, since the program's own
    ; folder is not the user's to write.
    CreateShortCut "$SMPROGRAMS\Dawnbell.lnk" "$INSTDIR\dawnbell.exe" "--user-config" \
        "$INSTDIR\dawnbell.exe" 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Dawnbell"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Company"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dawnbell.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetRegView 64
    SetShellVarContext all
    Delete "$SMPROGRAMS\Dawnbell.lnk"
    ; Only the files the installer put there; the users' settings stay.
    !include "${FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
