; The setup program of Brenwick Quadrino: per user, no administrator rights, German.
; scripts/package.sh builds it: makensis -DVERSION=x.y.z -DSTAGE=folder -DICON=file -DOUTFILE=file quadrino.nsi
; STAGE holds Quadrino.exe, LIESMICH.txt, LICENSE and THIRD-PARTY.txt as they are shipped.

; The program is 64-bit, and so is the setup program: it runs wherever the program can.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined (scripts/package.sh does it)"
!endif

!define PRODUCT "Brenwick Quadrino"
!define PUBLISHER "Brenwick"
!define EXE "Quadrino.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\BrenwickQuadrino"
!define APP_KEY "Software\Classes\Applications\${EXE}"
!define PROGID "BrenwickQuadrino.Bild"
!define PROGID_KEY "Software\Classes\${PROGID}"

; The picture types offered under "Öffnen mit": one line per type; installing and uninstalling both use this list.
!macro ForEachPictureType MACRO
  !insertmacro ${MACRO} bmp
  !insertmacro ${MACRO} dds
  !insertmacro ${MACRO} gif
  !insertmacro ${MACRO} hdr
  !insertmacro ${MACRO} jpeg
  !insertmacro ${MACRO} jpg
  !insertmacro ${MACRO} png
  !insertmacro ${MACRO} psd
  !insertmacro ${MACRO} qoi
  !insertmacro ${MACRO} tga
  !insertmacro ${MACRO} tif
  !insertmacro ${MACRO} tiff
!macroend

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An earlier installation is updated where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"
!insertmacro MUI_PAGE_FINISH

; The last page of the uninstaller says where the collected tiles stay.
Var TilesNote
!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} wird aus dem unten angegebenen Ordner entfernt. Der Sammelordner Tiles mit Ihren Kacheln bleibt erhalten."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} wurde entfernt"
!define MUI_FINISHPAGE_TEXT "$TilesNote"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "${PRODUCT} ${VERSION} Installation"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "Copyright (c) Brenwick Quadrino contributors, MIT-Lizenz"

!macro RegisterPictureType EXTENSION
  WriteRegStr HKCU "${APP_KEY}\SupportedTypes" ".${EXTENSION}" ""
  WriteRegStr HKCU "Software\Classes\.${EXTENSION}\OpenWithList\${EXE}" "" ""
  WriteRegNone HKCU "Software\Classes\.${EXTENSION}\OpenWithProgids" "${PROGID}"
!macroend

; Only this program's entries go; a key stays while another program still has something in it.
!macro UnregisterPictureType EXTENSION
  DeleteRegKey HKCU "Software\Classes\.${EXTENSION}\OpenWithList\${EXE}"
  DeleteRegValue HKCU "Software\Classes\.${EXTENSION}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKCU "Software\Classes\.${EXTENSION}\OpenWithList"
  DeleteRegKey /ifempty HKCU "Software\Classes\.${EXTENSION}\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.${EXTENSION}"
!macroend

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/${EXE}"
  File "${STAGE}/LIESMICH.txt"
  File "${STAGE}/LICENSE"
  File "${STAGE}/THIRD-PARTY.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  SectionGetSize ${SecProgram} $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ; "Öffnen mit" for pictures; no type's default program changes.
  WriteRegStr HKCU "${APP_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKCU "${APP_KEY}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${APP_KEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr HKCU "${PROGID_KEY}" "" "Bild (${PRODUCT})"
  WriteRegStr HKCU "${PROGID_KEY}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${PROGID_KEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
  !insertmacro ForEachPictureType RegisterPictureType
  ; SHCNE_ASSOCCHANGED: Explorer reads the "Öffnen mit" entries afresh.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\LIESMICH.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Never /r: the collection folder Tiles\ with the user's tiles stays, and the install folder with it.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  !insertmacro ForEachPictureType UnregisterPictureType
  DeleteRegKey HKCU "${APP_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Classes\Applications"
  DeleteRegKey HKCU "${PROGID_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  StrCpy $TilesNote "${PRODUCT} wurde von diesem Computer entfernt."
  ${If} ${FileExists} "$INSTDIR\Tiles\*.*"
    StrCpy $TilesNote "$TilesNote$\r$\n$\r$\nIhre gesammelten Kacheln bleiben erhalten im Ordner:$\r$\n$INSTDIR\Tiles"
  ${EndIf}
  ${If} ${FileExists} "$LOCALAPPDATA\${PRODUCT}\Tiles\*.*"
    StrCpy $TilesNote "$TilesNote$\r$\n$\r$\nWeitere gesammelte Kacheln liegen im Ordner:$\r$\n$LOCALAPPDATA\${PRODUCT}\Tiles"
  ${EndIf}
  DetailPrint "$TilesNote"
SectionEnd
