; The Windows setup of Quorvel Folimar: the program, its console converter, its help, the port
; monitor and the printer "Quorvel Virtual Printer". Built by CMake with
;   makensis -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> folimar.nsi
; Silent with /S (and /D=FOLDER, last, to choose the folder). Ghostscript is not bundled: the
; setup says where to get it when it is missing.
Unicode true
Target amd64-unicode
ManifestSupportedOS all
RequestExecutionLevel admin
!include LogicLib.nsh

!define PRODUCT "Quorvel Folimar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvelFolimar"
!define GHOSTSCRIPT_URL "https://ghostscript.com/releases/gsdnld.html"

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
  SetOutPath "$INSTDIR"
  File "${STAGE}\folimar.exe"
  File "${STAGE}\folimarc.exe"
  File "${STAGE}\folimar.chm"
  File "${STAGE}\qvsetup.exe"
  ; A 64-bit setup writes to the real system folder, where the spooler loads monitors from.
  SetOutPath "$SYSDIR"
  File "${STAGE}\quorvelmon.dll"
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

  DetailPrint "Installing the printer $\"Quorvel Virtual Printer$\"..."
  nsExec::ExecToLog '"$INSTDIR\qvsetup.exe" install "$INSTDIR"'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The printer could not be installed completely (see the lines above)."
    MessageBox MB_OK|MB_ICONEXCLAMATION "The printer $\"Quorvel Virtual Printer$\" could not be installed completely; the details are in the list of this setup.$\r$\n$\r$\nThe batch window and folimarc.exe work without it." /SD IDOK
  ${EndIf}

  Call FindGhostscript
  ${If} $0 == 0
    DetailPrint "64-bit Ghostscript was not found. Get it from ${GHOSTSCRIPT_URL} (the 64-bit $\"w64$\" installer)."
    MessageBox MB_OK|MB_ICONEXCLAMATION "64-bit Ghostscript was not found.$\r$\n$\r$\nQuorvel Folimar makes PDF files with Ghostscript, which is not part of this setup. Install the 64-bit Ghostscript for Windows (the $\"w64$\" installer) from$\r$\n${GHOSTSCRIPT_URL}$\r$\nor copy gsdll64.dll into $INSTDIR. 32-bit Ghostscript does not work." /SD IDOK
  ${EndIf}
SectionEnd

Section "Uninstall"
  DetailPrint "Removing the printer, its port and the port monitor..."
  nsExec::ExecToLog '"$INSTDIR\qvsetup.exe" uninstall'
  Pop $0
  ; The spooler may still hold the monitor: then it goes at the next start of Windows.
  Delete /REBOOTOK "$SYSDIR\quorvelmon.dll"
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
