; The Windows setup of Quorvel Folimar: the program, its console converter, its help, the port
; monitor and the printer "Quorvel Virtual Printer". Built by CMake with
;   makensis -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> folimar.nsi
; Silent with /S (and /D=FOLDER, last, to choose the folder): exit code 0 when every step was
; done, 2 when one failed, 3010 when all was done but Windows must restart to finish (a monitor
; the spooler holds is replaced then). Every step goes to %ProgramData%\Quorvel Folimar\setup.log.
; Ghostscript is not bundled: the setup says where to get it when it is missing.
Unicode true
Target amd64-unicode
ManifestSupportedOS all
RequestExecutionLevel admin
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Quorvel Folimar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvelFolimar"
!define GHOSTSCRIPT_URL "https://ghostscript.com/releases/gsdnld.html"
; With SetShellVarContext all, $APPDATA is ProgramData.
!define LOG_FOLDER "$APPDATA\${PRODUCT}"
!define LOG "${LOG_FOLDER}\setup.log"

Var Failed ; failed steps

; Writes one line to the setup log (and to the list of details).
!macro Log TEXT
  Push "${TEXT}"
  Call LogLine
!macroend

; Ends a step: "STEP: done", or "STEP: FAILED" and one more failed step when the error flag is set.
!macro Step STEP
  ${If} ${Errors}
    !insertmacro Log "${STEP}: FAILED"
    IntOp $Failed $Failed + 1
  ${Else}
    !insertmacro Log "${STEP}: done"
  ${EndIf}
  ClearErrors
!macroend

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

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

Function LogLine
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  DetailPrint "$0"
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  CreateDirectory "${LOG_FOLDER}"
  FileOpen $7 "${LOG}" a
  ${IfNot} ${Errors}
    FileSeek $7 0 END
    FileWrite $7 "$3-$2-$1 $5:$6 setup: $0$\r$\n"
    FileClose $7
  ${EndIf}
  ClearErrors
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Puts the port monitor in the system folder. While the spooler holds the old one it cannot be
; overwritten: the new one is put beside it and takes its place at the next restart.
Function InstallMonitor
  SetOutPath "$SYSDIR"
  ClearErrors
  File "/oname=quorvelmon.dll.new" "${STAGE}\quorvelmon.dll"
  ${If} ${Errors}
    Return
  ${EndIf}
  ; Fails while the spooler holds it; the rename below then waits for the restart.
  Delete "$SYSDIR\quorvelmon.dll"
  ClearErrors
  Rename /REBOOTOK "$SYSDIR\quorvelmon.dll.new" "$SYSDIR\quorvelmon.dll"
  ${If} ${RebootFlag}
    !insertmacro Log "the port monitor in use is replaced when Windows restarts"
  ${EndIf}
FunctionEnd

; Sets $0 to 1 when a 64-bit Ghostscript recorded itself in the registry, else 0.
Function FindGhostscript
  StrCpy $0 0
  EnumRegKey $1 HKLM "SOFTWARE\GPL Ghostscript" 0
  ${If} $1 != ""
    StrCpy $0 1
  ${Else}
    EnumRegKey $1 HKLM "SOFTWARE\Artifex Ghostscript" 0
    ${If} $1 != ""
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Quorvel Folimar"
  StrCpy $Failed 0
  !insertmacro Log "install ${PRODUCT} into $INSTDIR"
  ClearErrors
  SetOutPath "$INSTDIR"
  File "${STAGE}\folimar.exe"
  File "${STAGE}\folimarc.exe"
  File "${STAGE}\folimar.chm"
  File "${STAGE}\qvsetup.exe"
  !insertmacro Step "copy the programs"
  ; A 64-bit setup writes to the real system folder, where the spooler loads monitors from.
  Call InstallMonitor
  !insertmacro Step "copy the port monitor"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\folimar.exe" "" "$INSTDIR\folimar.exe" 0
  !insertmacro Step "write the uninstaller and the Start-menu entry"

  DetailPrint "Installing the printer $\"Quorvel Virtual Printer$\"..."
  ; qvsetup writes its steps to the setup log itself; its words are shown here too.
  nsExec::ExecToStack '"$INSTDIR\qvsetup.exe" install "$INSTDIR"'
  Pop $0
  Pop $1
  DetailPrint "$1"
  ${If} $0 != 0
    IntOp $Failed $Failed + 1
    !insertmacro Log "install the printer: FAILED (qvsetup exit code $0)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "The printer $\"Quorvel Virtual Printer$\" could not be installed:$\r$\n$\r$\n$1$\r$\nThe whole record is in ${LOG}.$\r$\nThe batch window and folimarc.exe work without the printer." /SD IDOK
  ${EndIf}

  Call FindGhostscript
  ${If} $0 == 0
    DetailPrint "64-bit Ghostscript was not found. Get it from ${GHOSTSCRIPT_URL} (the 64-bit $\"w64$\" installer)."
    MessageBox MB_OK|MB_ICONEXCLAMATION "64-bit Ghostscript was not found.$\r$\n$\r$\nQuorvel Folimar makes PDF files with Ghostscript, which is not part of this setup. Install the 64-bit Ghostscript for Windows (the $\"w64$\" installer) from$\r$\n${GHOSTSCRIPT_URL}$\r$\nor copy gsdll64.dll into $INSTDIR. 32-bit Ghostscript does not work." /SD IDOK
  ${EndIf}

  ${If} $Failed != 0
    !insertmacro Log "finished: $Failed step(s) FAILED"
    SetErrorLevel 2
  ${ElseIf} ${RebootFlag}
    !insertmacro Log "finished: restart Windows to finish"
    MessageBox MB_OK|MB_ICONINFORMATION "The printer's port monitor was in use. Restart Windows to finish the setup; until then the printer keeps working with the older monitor." /SD IDOK
    SetErrorLevel 3010
  ${Else}
    !insertmacro Log "finished: every step done"
  ${EndIf}
SectionEnd

Section "Uninstall"
  DetailPrint "Removing the printer, its port and the port monitor..."
  nsExec::ExecToLog '"$INSTDIR\qvsetup.exe" uninstall'
  Pop $0
  ; The spooler may still hold the monitor: then it goes at the next start of Windows.
  Delete /REBOOTOK "$SYSDIR\quorvelmon.dll"
  Delete /REBOOTOK "$SYSDIR\quorvelmon.dll.new"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\folimar.exe"
  Delete "$INSTDIR\folimarc.exe"
  Delete "$INSTDIR\folimar.chm"
  Delete "$INSTDIR\qvsetup.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a file of the user's there stays, and so does the folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
