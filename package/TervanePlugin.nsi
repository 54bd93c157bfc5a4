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
!define PUBLISHER "TervanePlugin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The media player's main window, by its class.
!define PLAYER_CLASS "WMPlayerApp"
; Exit codes of a silent run that stopped: the player is running, the DLL is in use.
!define EXIT_PLAYER_RUNNING 4
!define EXIT_DLL_IN_USE 5

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
!include FileFunc.nsh

; What the finish page says: set by the section, which knows whether registration went through.
Var FinishText

!define MUI_ABORTWARNING
!define MUI_LICENSEPAGE_TEXT_TOP "はじめにお読みください。"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PRODUCT_DIR}/readme.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "ユーザーズマニュアルを開く"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenManual
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

; A running media player holds the DLL: replacing or removing it then fails half-way. The
; user is asked to close the player; a silent run, and a user who cancels, stop here with an
; exit code of their own and nothing changed.
!macro WaitForPlayerToClose un
  Function ${un}WaitForPlayerToClose
    retry:
      FindWindow $0 "${PLAYER_CLASS}"
      ${If} $0 != 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Windows Media Player が起動しています。$\r$\nWindows Media Player を終了してから [再試行] を押してください。" /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_PLAYER_RUNNING}
        Quit
      ${EndIf}
  FunctionEnd
!macroend
!insertmacro WaitForPlayerToClose ""
!insertmacro WaitForPlayerToClose "un."

Function .onInit
  !insertmacro ChooseRegistryView
  Call WaitForPlayerToClose
  ; A reinstall goes where the last install went, unless the command line named a folder.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  !if "${ARCH}" == "x86"
    StrCmp $INSTDIR "$PROGRAMFILES\${PRODUCT}" 0 +3
  !else
    StrCmp $INSTDIR "$PROGRAMFILES64\${PRODUCT}" 0 +3
  !endif
  StrCmp $0 "" +2
  StrCpy $INSTDIR $0
  StrCpy $FinishText "${PRODUCT} をインストールしました。$\r$\n$\r$\nWindows Media Player を起動すると、エディタが別のウィンドウで一緒に開きます (有効にする操作はいりません)。起動中のプレーヤーは起動し直してください。"
FunctionEnd

Function un.onInit
  !insertmacro ChooseRegistryView
  Call un.WaitForPlayerToClose
FunctionEnd

; The installer runs with administrator rights; the manual opens in the user's own browser
; through the desktop's shell, not with those rights.
Function OpenManual
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\users_manual.html"'
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  ; Any other program that has the old DLL loaded keeps it from being replaced: found before
  ; a single file is copied.
  ${If} ${FileExists} "$INSTDIR\TervanePlugin.dll"
    retry:
      ClearErrors
      FileOpen $0 "$INSTDIR\TervanePlugin.dll" a
      ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\TervanePlugin.dll は使用中です。$\r$\nWindows Media Player など、プラグインを使うプログラムを終了してから [再試行] を押してください。" /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_DLL_IN_USE}
        Quit
      ${EndIf}
      FileClose $0
  ${EndIf}
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
    StrCpy $FinishText "${PRODUCT} のファイルはコピーしましたが、プラグインを登録できませんでした ($1)。$\r$\n$\r$\n管理者のコマンドプロンプトで次のように登録してください。$\r$\n$0 $\"$INSTDIR\TervanePlugin.dll$\""
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (テルベーンコントロールプラグイン)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  IntFmt $2 "0x%08X" $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $2
SectionEnd

; The entry of the list of programs is taken out by the system's own registry tool as the next
; session starts. RunOnce is read in the system's native view; the entry lives in this
; installer's.
!macro RemoveEntryAtRestart
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      SetRegView 64
      WriteRegStr HKLM "${RUNONCE_KEY}" "${PRODUCT}" '"$WINDIR\System32\reg.exe" delete "HKLM\${UNINSTALL_KEY}" /f /reg:32'
      SetRegView lastused
    ${Else}
      WriteRegStr HKLM "${RUNONCE_KEY}" "${PRODUCT}" '"$SYSDIR\reg.exe" delete "HKLM\${UNINSTALL_KEY}" /f'
    ${EndIf}
  !else
    WriteRegStr HKLM "${RUNONCE_KEY}" "${PRODUCT}" '"$SYSDIR\reg.exe" delete "HKLM\${UNINSTALL_KEY}" /f'
  !endif
!macroend

Section "Uninstall"
  ; Unregistering first, while the DLL is still there to remove its own entries; a DLL that
  ; is already gone must not keep the rest from being removed.
  !insertmacro RegsvrPath $0
  ExecWait '"$0" /u /s "$INSTDIR\TervanePlugin.dll"'
  ; The settings file is the plug-in's own; time sheets the user saved in these folders stay,
  ; and so do the folders that hold them.
  Delete "$INSTDIR\cfg\info.txt"
  !include "${UNFILES_NSH}"
  ${If} ${RebootFlag}
    ; A file that another program still holds goes at the next restart, and so does what
    ; lets the user see and finish the uninstall until then: the uninstaller and its entry.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\uninstall.exe", p 0, i 4) i'
    RMDir /REBOOTOK "$INSTDIR"
    !insertmacro RemoveEntryAtRestart
    MessageBox MB_OK|MB_ICONINFORMATION "使用中のファイルがあるため、アンインストールはコンピューターの再起動後に完了します。" /SD IDOK
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
