; The plug-in's installer, Japanese throughout. scripts/package.sh compiles it with:
;   ARCH         x86 (the product) or amd64 (the same installer with a 64-bit stub, for the
;                tests on machines that run no 32-bit programs; it behaves as the x86 one does
;                on 64-bit Windows)
;   PRODUCT_DIR  the product folder to install: the x86 DLL beside the skins, cfg and manual,
;                the x64 DLL in its x64 subfolder (installed on 64-bit Windows only)
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
; Both players share one folder in the 32-bit program files, where every earlier version went.
InstallDir "$PROGRAMFILES32\${PRODUCT}"
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

; 1 on 64-bit Windows: learnt once as the installer and the uninstaller start. The amd64 stub
; runs on nothing else.
Var Is64
!macro LearnWindowsBits
  StrCpy $Is64 0
  !if "${ARCH}" == "amd64"
    StrCpy $Is64 1
  !else
    ${If} ${RunningX64}
      StrCpy $Is64 1
    ${EndIf}
  !endif
!macroend

; Each player loads only the DLL of its own pointer size, registered by the regsvr32 of that
; size: the x86 DLL by the 32-bit one (SysWOW64's on 64-bit Windows) into the 32-bit registry
; view, the x64 DLL by the 64-bit one in System32 into the 64-bit view.
!macro Regsvr32Bit out
  ${If} $Is64 == 1
    StrCpy ${out} "$WINDIR\SysWOW64\regsvr32.exe"
  ${Else}
    StrCpy ${out} "$WINDIR\System32\regsvr32.exe"
  ${EndIf}
!macroend
!define REGSVR64 "$WINDIR\System32\regsvr32.exe"

; Runs a 64-bit system program: a 32-bit installer sees System32 as SysWOW64 unless it asks not
; to. The exit code is left empty when the program could not be started.
!macro ExecWait64 command result
  StrCpy ${result} ""
  !if "${ARCH}" == "x86"
    ${DisableX64FSRedirection}
  !endif
  ExecWait '${command}' ${result}
  !if "${ARCH}" == "x86"
    ${EnableX64FSRedirection}
  !endif
!macroend

; The uninstall entry lives in the 32-bit view, as the x86 installer's always has; both builds
; keep it there, so that a reinstall finds it whichever ran before.
!macro ChooseRegistryView
  SetRegView 32
!macroend
; A running media player holds the DLL: replacing or removing it then fails half-way. The
; user is asked to close the player; a silent run, and a user who cancels, stop here with an
; exit code of their own and nothing changed. The 32-bit and the 64-bit player have the same
; main window class, so one search finds either.
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
  !insertmacro LearnWindowsBits
  !insertmacro ChooseRegistryView
  Call WaitForPlayerToClose
  ; Unless the command line named a folder, a reinstall goes where the last install went.
  ${If} $INSTDIR == "$PROGRAMFILES32\${PRODUCT}"
    !if "${ARCH}" == "amd64"
      ; A 64-bit installer's $PROGRAMFILES32 is the native folder; the 32-bit one is named in
      ; the environment.
      ReadEnvStr $0 "ProgramFiles(x86)"
      StrCpy $INSTDIR "$0\${PRODUCT}"
    !endif
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
  ${If} $Is64 == 1
    StrCpy $FinishText "${PRODUCT} をインストールしました。32 ビット版と 64 ビット版の Windows Media Player のどちらでも使えます。$\r$\n$\r$\nWindows Media Player を起動すると、エディタが別のウィンドウで一緒に開きます (有効にする操作はいりません)。起動中のプレーヤーは起動し直してください。"
  ${Else}
    StrCpy $FinishText "${PRODUCT} をインストールしました。$\r$\n$\r$\nWindows Media Player を起動すると、エディタが別のウィンドウで一緒に開きます (有効にする操作はいりません)。起動中のプレーヤーは起動し直してください。"
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro LearnWindowsBits
  !insertmacro ChooseRegistryView
  Call un.WaitForPlayerToClose
FunctionEnd

; The installer runs with administrator rights; the manual opens in the user's own browser
; through the desktop's shell, not with those rights.
Function OpenManual
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\users_manual.html"'
FunctionEnd

; Any other program that has an old DLL loaded keeps it from being replaced: found before a
; single file is copied.
!macro StopWhileHeld dll
  ${If} ${FileExists} "${dll}"
    ClearErrors
    FileOpen $0 "${dll}" a
    ${If} ${Errors}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${dll} は使用中です。$\r$\nWindows Media Player など、プラグインを使うプログラムを終了してから [再試行] を押してください。" /SD IDCANCEL IDRETRY retry
      SetErrorLevel ${EXIT_DLL_IN_USE}
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

; What a failed registration leaves for the finish page: for whom, and the command that
; registers it by hand.
Var Failed

!macro TellFailed player regsvr dll code
  MessageBox MB_OK|MB_ICONSTOP "${player}用のプラグインを登録できませんでした (${code})。$\r$\n${regsvr} で ${dll} を登録してください。" /SD IDOK
  StrCpy $Failed "$Failed$\r$\n${player}用 (${code}):$\r$\n${regsvr} $\"${dll}$\""
!macroend

Section "${PRODUCT}" SecMain
  SectionIn RO
  retry:
    !insertmacro StopWhileHeld "$INSTDIR\TervanePlugin.dll"
    !insertmacro StopWhileHeld "$INSTDIR\x64\TervanePlugin.dll"
  !include "${FILES_NSH}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  StrCpy $Failed ""
  !insertmacro Regsvr32Bit $0
  ; The exit code stays empty when regsvr32 could not be started at all.
  StrCpy $1 ""
  ExecWait '"$0" /s "$INSTDIR\TervanePlugin.dll"' $1
  ${If} $1 == ""
    !insertmacro TellFailed "32 ビット版の Windows Media Player " "$0" "$INSTDIR\TervanePlugin.dll" "起動できません"
  ${ElseIf} $1 != 0
    !insertmacro TellFailed "32 ビット版の Windows Media Player " "$0" "$INSTDIR\TervanePlugin.dll" "$1"
  ${EndIf}
  ${If} $Is64 == 1
    !insertmacro ExecWait64 '"${REGSVR64}" /s "$INSTDIR\x64\TervanePlugin.dll"' $1
    ${If} $1 == ""
      !insertmacro TellFailed "64 ビット版の Windows Media Player " "${REGSVR64}" "$INSTDIR\x64\TervanePlugin.dll" "起動できません"
    ${ElseIf} $1 != 0
      !insertmacro TellFailed "64 ビット版の Windows Media Player " "${REGSVR64}" "$INSTDIR\x64\TervanePlugin.dll" "$1"
    ${EndIf}
  ${EndIf}
  ${If} $Failed != ""
    SetErrorLevel 3
    StrCpy $FinishText "${PRODUCT} のファイルはコピーしましたが、プラグインを登録できませんでした。$\r$\n$\r$\n管理者のコマンドプロンプトで次のように登録してください。$\r$\n$Failed"
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
; session starts. RunOnce is read in the system's native view; the entry lives in the 32-bit one.
!macro RemoveEntryAtRestart
  ${If} $Is64 == 1
    SetRegView 64
    WriteRegStr HKLM "${RUNONCE_KEY}" "${PRODUCT}" '"$WINDIR\System32\reg.exe" delete "HKLM\${UNINSTALL_KEY}" /f /reg:32'
    SetRegView 32
  ${Else}
    WriteRegStr HKLM "${RUNONCE_KEY}" "${PRODUCT}" '"$WINDIR\System32\reg.exe" delete "HKLM\${UNINSTALL_KEY}" /f'
  ${EndIf}
!macroend

Section "Uninstall"
  ; Unregistering first, while the DLL is still there to remove its own entries; a DLL that
  ; is already gone must not keep the rest from being removed.
  !insertmacro Regsvr32Bit $0
  ExecWait '"$0" /u /s "$INSTDIR\TervanePlugin.dll"'
  ${If} $Is64 == 1
    !insertmacro ExecWait64 '"${REGSVR64}" /u /s "$INSTDIR\x64\TervanePlugin.dll"' $1
  ${EndIf}
  ; The settings file is the plug-in's own; time sheets the user saved in these folders stay,
  ; and so do the folders that hold them.
  Delete "$INSTDIR\cfg\info.txt"
  !include "${UNFILES_NSH}"
  ${If} ${RebootFlag}
    ; A file that another program still holds goes at the next restart, and so does what
    ; lets the user see and finish the uninstall until then: the uninstaller and its entry.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\uninstall.exe", p 0, i 4) i'
    ; The x64 folder goes once its held DLL has gone, and then the folder that holds it.
    ${If} ${FileExists} "$INSTDIR\x64\*.*"
      RMDir /REBOOTOK "$INSTDIR\x64"
    ${EndIf}
    RMDir /REBOOTOK "$INSTDIR"
    !insertmacro RemoveEntryAtRestart
    MessageBox MB_OK|MB_ICONINFORMATION "使用中のファイルがあるため、アンインストールはコンピューターの再起動後に完了します。" /SD IDOK
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
