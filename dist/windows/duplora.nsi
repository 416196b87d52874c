; The Windows installer: the release's files into a folder of their own, a Start-menu entry that
; starts the game there (where Images\ lies), and an uninstaller, registered with Windows'
; installed apps, that removes every file, shortcut and registry entry made here. For the current
; user without administrator rights; for all users when run as administrator.
;   makensis -DVERSION=1.0.0 -DSTAGE=<the release's folder> -DICON=<duplora.ico> -DOUTFILE=<setup.exe> duplora.nsi
; A 64-bit installer for the 64-bit game: it runs where the game does, Wine without 32-bit support too.
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Duplora"
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_INSTDIR "Duplora"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!include MultiUser.nsh
!include MUI2.nsh

Name "Duplora"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Duplora"
VIAddVersionKey "FileDescription" "Duplora setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Duplora developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\duplora.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; What the release holds, to install and to remove one by one: the uninstaller never removes a
; folder's whole content, which may be a folder the player chose that holds other files.
!macro Files Do
  !insertmacro ${Do} "" duplora.exe
  !insertmacro ${Do} "" Qt6Core.dll
  !insertmacro ${Do} "" Qt6Gui.dll
  !insertmacro ${Do} "" Qt6Widgets.dll
  !insertmacro ${Do} "" libstdc++-6.dll
  !insertmacro ${Do} "" libgcc_s_seh-1.dll
  !insertmacro ${Do} "" libwinpthread-1.dll
  !insertmacro ${Do} "platforms" qwindows.dll
  !insertmacro ${Do} "styles" qwindowsvistastyle.dll
  !insertmacro ${Do} "Images" 1.bmp
  !insertmacro ${Do} "Images" 2.bmp
  !insertmacro ${Do} "Images" 3.bmp
  !insertmacro ${Do} "Images" 4.bmp
  !insertmacro ${Do} "Images" 5.bmp
  !insertmacro ${Do} "Images" 6.bmp
  !insertmacro ${Do} "Images" 7.bmp
  !insertmacro ${Do} "Images" 8.bmp
  !insertmacro ${Do} "Images" 9.bmp
  !insertmacro ${Do} "Images" 10.bmp
  !insertmacro ${Do} "Images" 11.bmp
  !insertmacro ${Do} "Images" 12.bmp
  !insertmacro ${Do} "Images" 13.bmp
  !insertmacro ${Do} "Images" 14.bmp
  !insertmacro ${Do} "Images" 15.bmp
  !insertmacro ${Do} "Images" 16.bmp
  !insertmacro ${Do} "Images" 17.bmp
  !insertmacro ${Do} "Images" 18.bmp
!macroend
!macro Put Folder File
  SetOutPath "$INSTDIR\${Folder}"
  File "${STAGE}\${Folder}\${File}"
!macroend
!macro Remove Folder File
  Delete "$INSTDIR\${Folder}\${File}"
!macroend

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Duplora"
  !insertmacro Files Put
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts the game in the folder it was made from.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Duplora.lnk" "$INSTDIR\duplora.exe" "" "$INSTDIR\duplora.exe" 0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Duplora"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Duplora developers"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\duplora.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro Files Remove
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Duplora.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Only folders left empty go.
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\Images"
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
SectionEnd
