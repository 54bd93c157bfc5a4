; The plug-in's installer, Japanese throughout. scripts/package.sh compiles it with:
;   ARCH         x86 (the product, around the i686 DLL) or amd64 (around an x86_64 test build)
;   PRODUCT_DIR  the product folder to install
;   FILES_NSH    File lines for every file of that folder (generated from its listing)
;   UNFILES_NSH  Delete and RMDir lines for the same files, so that the uninstaller removes
;                exactly what was installed and nothing the user put beside it
;   OUT_FILE     the installer to write
Unicode true
!macro Needs symbol
  !ifndef ${symbol}
    !error "${symbol} must be defined (makensis -D${symbol}=...)"
  !endif
!macroend
!insertmacro Needs ARCH
!insertmacro Needs PRODUCT_DIR
!insertmacro Needs FILES_NSH
!insertmacro Needs UNFILES_NSH
!insertmacro Needs OUT_FILE
!if "${ARCH}" == "x86"
  Target x86-unicode
!else if "${ARCH}" == "amd64"
  Target amd64-unicode
!else
  !error "ARCH must be x86 or amd64, not ${ARCH}"
!endif

!define PRODUCT "TervanePlugin"
!define VERSION "1.0.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"
SetCompressor /SOLID lzma
!if "${ARCH}" == "x86"
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!endif
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "(C) TervanePlugin"

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define MUI_ABORTWARNING
!define MUI_LICENSEPAGE_TEXT_TOP "はじめにお読みください。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PRODUCT_DIR}/readme.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\users_manual.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ユーザーズマニュアルを開く"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; The plug-in is a 32-bit DLL: on 64-bit Windows only the 32-bit regsvr32 in SysWOW64 can load
; it. The amd64 build of this installer carries a 64-bit DLL and uses the native one.
!macro RegsvrPath out
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      StrCpy ${out} "$WINDIR\SysWOW64\regsvr32.exe"
    ${Else}
      StrCpy ${out} "$SYSDIR\regsvr32.exe"
    ${EndIf}
  !else
    StrCpy ${out} "$SYSDIR\regsvr32.exe"
  !endif
!macroend

!macro ChooseRegistryView
  !if "${ARCH}" == "amd64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro ChooseRegistryView
FunctionEnd

Function un.onInit
  !insertmacro ChooseRegistryView
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  !include "${FILES_NSH}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegsvrPath $0
  ClearErrors
  ExecWait '"$0" /s "$INSTDIR\TervanePlugin.dll"' $1
  ${If} ${Errors}
  ${OrIf} $1 != 0
    MessageBox MB_OK|MB_ICONSTOP "プラグインを登録できませんでした ($1)。$\r$\n$0 で $INSTDIR\TervanePlugin.dll を登録してください。" /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (テルベーンコントロールプラグイン)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Unregistering first, while the DLL is still there to remove its own entries; a DLL that
  ; is already gone must not keep the rest from being removed.
  !insertmacro RegsvrPath $0
  ExecWait '"$0" /u /s "$INSTDIR\TervanePlugin.dll"'
  ; The settings file is the plug-in's own; time sheets the user saved in these folders stay,
  ; and so do the folders that hold them.
  Delete "$INSTDIR\cfg\info.txt"
  !include "${UNFILES_NSH}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
