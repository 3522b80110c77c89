; The Corvenda installer, built by tools/windows/installer.sh, which defines VERSION, PROGRAM
; (the program folder to install), OUTFILE and the lists INSTALL_FILES / REMOVE_FILES.
; Per machine into Program Files by default (per user with /CurrentUser or on the first page);
; /S installs or uninstalls silently. The uninstaller removes exactly what was installed; the
; user's settings stay unless "Remove my settings" or /RemoveSettings is chosen.
Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS Win7 Win8 Win8.1 Win10

!define PRODUCT "Corvenda"
!define PUBLISHER "Quenlow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\${PUBLISHER}\${PRODUCT}"
!define APP_KEY "Software\Classes\Applications\corvenda.exe"
!define PROGID_PREFIX "Quenlow.Corvenda"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "UninstallString"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"

!define MUI_ICON "${PROGRAM}\corvenda.ico"
!define MUI_UNICON "${PROGRAM}\corvenda.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run ${PRODUCT}"
!define MUI_FINISHPAGE_RUN_FUNCTION RunAsSignedInUser
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; "Open with" for a file type, without becoming its default program.
!macro OpenWith EXTENSION DESCRIPTION
    WriteRegStr SHCTX "Software\Classes\${PROGID_PREFIX}${EXTENSION}" "" "${DESCRIPTION}"
    WriteRegStr SHCTX "Software\Classes\${PROGID_PREFIX}${EXTENSION}\DefaultIcon" "" "$INSTDIR\corvenda.exe,0"
    WriteRegStr SHCTX "Software\Classes\${PROGID_PREFIX}${EXTENSION}\shell\open\command" "" '"$INSTDIR\corvenda.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids" "${PROGID_PREFIX}${EXTENSION}" ""
    WriteRegStr SHCTX "${APP_KEY}\SupportedTypes" "${EXTENSION}" ""
!macroend

!macro RemoveOpenWith EXTENSION
    DeleteRegKey SHCTX "Software\Classes\${PROGID_PREFIX}${EXTENSION}"
    DeleteRegValue SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids" "${PROGID_PREFIX}${EXTENSION}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids"
    DeleteRegKey /ifempty SHCTX "Software\Classes\${EXTENSION}"
!macroend

Section "${PRODUCT}"
    SectionIn RO
    !include "${INSTALL_FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The shortcut starts in the folder set last.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\corvenda.exe" "" "$INSTDIR\corvenda.exe" 0

    WriteRegStr SHCTX "${APP_KEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr SHCTX "${APP_KEY}\DefaultIcon" "" "$INSTDIR\corvenda.exe,0"
    WriteRegStr SHCTX "${APP_KEY}\shell\open\command" "" '"$INSTDIR\corvenda.exe" "%1"'
    !insertmacro OpenWith .ani "Animated cursor"
    !insertmacro OpenWith .cur "Cursor"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\corvenda.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.${PRODUCT}"
    SectionIn RO
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    !insertmacro RemoveOpenWith .ani
    !insertmacro RemoveOpenWith .cur
    DeleteRegKey SHCTX "${APP_KEY}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\Applications"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    !include "${REMOVE_FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd

Section /o "un.Remove my settings" RemoveSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
SectionEnd

; "Run Corvenda" on the last page. An installer running as administrator would hand its token
; to the program: an elevated window receives no drops from Explorer, and everything it writes
; would be the administrators'. Explorer runs as the signed-in user; asked to open the program,
; it starts it as that user.
Function RunAsSignedInUser
    ${If} $MultiUser.Privileges == "Admin"
        Exec '"$WINDIR\explorer.exe" "$INSTDIR\corvenda.exe"'
    ${Else}
        Exec '"$INSTDIR\corvenda.exe"'
    ${EndIf}
FunctionEnd

Function .onInit
    SetRegView 64
    !insertmacro MULTIUSER_INIT
FunctionEnd

; /RemoveSettings on the command line chooses it for a silent uninstall.
Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RemoveSettings" $1
    ${IfNot} ${Errors}
        SectionSetFlags ${RemoveSettings} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
