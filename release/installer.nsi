; Vornika's installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Vornika. Built by scripts/release:
;   makensis -DVERSION=<version> -DSTAGE=<folder with the program> -DOUTFILE=<setup.exe> installer.nsi
; VERSION is project()'s in CMakeLists.txt, as the configured build has it.
; Silent: setup.exe /S [/MODEL=<path of a ggml model file>]
; The uninstaller removes the program, its shortcut, its uninstall entry and
; the autostart value; the user's settings and log stay (they live in
; %APPDATA%\Vornika and %LOCALAPPDATA%\Vornika).

Unicode true
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support can test it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vornika"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Vornika"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vornika"
BrandingText "Vornika ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Vornika"
VIAddVersionKey /LANG=1033 "FileDescription" "Vornika o'rnatuvchisi"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Vornika"

!define MUI_ICON "${STAGE}\..\vornika.ico"
!define MUI_UNICON "${STAGE}\..\vornika.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vornika.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Vornika'ni ishga tushirish"

Var ModelFile
Var ModelField

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom ModelPage ModelPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Uzbek"

; An optional model file, copied into models\ as ggml-veltostt.bin.
Function ModelPage
    !insertmacro MUI_HEADER_TEXT "Nutq modeli" "Ixtiyoriy: ggml-veltostt.bin sifatida nusxalanadigan model fayli"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 36u "Whisper formatidagi o'zbekcha model faylini tanlang (.bin). Keyinroq ham uni $INSTDIR\models\ papkasiga ggml-veltostt.bin nomi bilan qo'yish mumkin."
    Pop $0
    ${NSD_CreateFileRequest} 0 44u 75% 12u "$ModelFile"
    Pop $ModelField
    ${NSD_CreateBrowseButton} 77% 43u 23% 14u "Tanlash..."
    Pop $0
    ${NSD_OnClick} $0 BrowseModel
    nsDialogs::Show
FunctionEnd

Function BrowseModel
    nsDialogs::SelectFileDialog open "$ModelFile" "Model (*.bin)|*.bin|Hamma fayllar|*.*"
    Pop $0
    ${If} $0 != ""
        ${NSD_SetText} $ModelField $0
    ${EndIf}
FunctionEnd

Function ModelPageLeave
    ${NSD_GetText} $ModelField $ModelFile
FunctionEnd

Function .onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/MODEL=" $1
    ${IfNot} ${Errors}
        StrCpy $ModelFile $1
    ${EndIf}
FunctionEnd

Section "Vornika"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    ${If} $ModelFile != ""
        CreateDirectory "$INSTDIR\models"
        CopyFiles /SILENT "$ModelFile" "$INSTDIR\models\ggml-veltostt.bin"
    ${EndIf}
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Vornika.lnk" "$INSTDIR\Vornika.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vornika"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vornika"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vornika.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    ; A running copy would keep its files open.
    nsExec::Exec 'taskkill /IM Vornika.exe /F'
    DeleteRegValue HKCU "${RUN_KEY}" "Vornika"
    Delete "$SMPROGRAMS\Vornika.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only what this installer put there (the folder may have been chosen
    ; among the user's own files); the model copied into models\ goes too.
    !include "${STAGE}\..\uninstall-list.nsh"
    Delete "$INSTDIR\models\ggml-veltostt.bin"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\models"
    RMDir "$INSTDIR"
    ; settings.ini (%APPDATA%\Vornika) and dictation.log (%LOCALAPPDATA%\Vornika) stay.
SectionEnd
