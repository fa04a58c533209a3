; Zintra's installer: a per-user install (no administrator rights) of
; zintra.exe with its shortcuts and an entry in the user's list of installed
; programs. It tells the program about the installation (/setup) and the
; removal (/unsetup), so the program can record and report them.
;
; Build: makensis -DZINTRA_EXE=<path of zintra.exe> -DZINTRA_ICON=<path of the .ico>
;                 -DOUTFILE=<path of zintra-setup.exe> zintra.nsi
; Silent use: zintra-setup.exe /S, uninstall.exe /S

Unicode true
; A 64-bit installer for a 64-bit program (and for systems without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Zintra鼠标连点器"
!define VERSION "1.0.0.1"
!define PUBLISHER "Zintra"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zintra"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zintra"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ICON "${ZINTRA_ICON}"
!define MUI_UNICON "${ZINTRA_ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zintra.exe"
!define MUI_FINISHPAGE_RUN_TEXT "立即运行${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Asks a running Zintra to end the way its own exit does (it saves the user's
; settings first), and waits up to ten seconds for its window to go.
!macro EndRunningProgram prefix
Function ${prefix}EndRunningProgram
  FindWindow $R0 "ZUIHOST" "Zintra"
  IntCmp $R0 0 done
  SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=3000
  StrCpy $R1 0
  wait:
    FindWindow $R0 "ZUIHOST" "Zintra"
    IntCmp $R0 0 done
    IntOp $R1 $R1 + 1
    IntCmp $R1 50 done
    Sleep 200
    Goto wait
  done:
FunctionEnd
!macroend
!insertmacro EndRunningProgram ""
!insertmacro EndRunningProgram "un."

Section "Zintra"
  SetShellVarContext current
  Call EndRunningProgram
  SetOutPath "$INSTDIR"

  ; A program that has only just ended may hold its file a moment longer.
  SetOverwrite try
  StrCpy $R2 0
  copy:
    ClearErrors
    File "/oname=zintra.exe" "${ZINTRA_EXE}"
    IfErrors 0 copied
    IntOp $R2 $R2 + 1
    IntCmp $R2 100 copied
    Sleep 100
    Goto copy
  copied:
  SetOverwrite on

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Zintra"
  CreateShortCut "$SMPROGRAMS\Zintra\${PRODUCT}.lnk" "$INSTDIR\zintra.exe" "" "$INSTDIR\zintra.exe" 0
  CreateShortCut "$SMPROGRAMS\Zintra\卸载${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\zintra.exe" "" "$INSTDIR\zintra.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zintra.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; The program records the installation day and reports it.
  ExecWait '"$INSTDIR\zintra.exe" /setup'
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndRunningProgram
  ExecWait '"$INSTDIR\zintra.exe" /unsetup'

  Delete "$INSTDIR\zintra.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Zintra\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\Zintra\卸载${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\Zintra"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "ZintraMouseAuto"
  ; The click settings under Software\ZintraMouse are the user's and stay.
SectionEnd
