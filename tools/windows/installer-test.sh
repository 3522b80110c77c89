#!/usr/bin/env bash
# Tests the Windows installer (tools/windows/installer.sh makes it) under Wine, in a throw-away
# prefix: silent install per machine, the installed program starts (in Xvfb) and its nconvert
# converts a sample, the shortcut and registry entries are there; silent uninstall leaves the
# user's settings and nothing else. Then the same per user, removing the settings too. First,
# an install through its pages, finished with "Run Corvenda" checked: the program must be
# started by Explorer, not by the installer. Wine has no elevation (every program runs with the
# same token), so it shows that the start is handed to Explorer, not that Windows' Explorer then
# starts the program without the installer's administrator rights.
# Usage: tools/windows/installer-test.sh [SETUP.exe]   (default: the newest build/windows/*-setup.exe)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup=${1:-$(ls -t "$here"/../../build/windows/Corvenda-*-setup.exe 2>/dev/null | head -1)}
[[ -f $setup ]] || { echo "installer-test.sh: run tools/windows/installer.sh first" >&2; exit 2; }
setup=$(realpath "$setup")
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work CORVENDA_WINEPREFIX=$work/prefix
unset QT_QPA_PLATFORM
source "$here/wine.sh"
# Without it Wine makes the home folder itself the Windows desktop.
mkdir -p "$work/Desktop"
prepare_wine_prefix
drive=$WINEPREFIX/drive_c
failures=0

check() { # check DESCRIPTION COMMAND...
    if "${@:2}" >/dev/null 2>&1; then
        echo "  ok    $1"
    else
        echo "  FAIL  $1"
        failures=$((failures + 1))
    fi
}
value_of() { # value_of KEY NAME: the registry value's data
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"
}
has_value() { [[ -n $(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -E "^ +$2 ") ]]; }
equals() { [[ $1 == "$2" ]]; }
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
# What a user can see of an installation: the files of the prefix and its registry, leaving out
# Wine's own keys and the parents Windows has anyway (a fresh Wine prefix lacks them per user).
snapshot() {
    # Windows' own folder for per-user programs is made by the first per-user installation.
    (cd "$drive" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
        -o -path './users/*/AppData/Local/Temp' -prune \
        -o -path './users/*/AppData/Local/Programs' -prune -o -print | sort)
    local hive
    for hive in HKLM HKCU; do
        wine reg export "$hive\\Software" "Z:${work//\//\\}\\$hive.reg" /y >/dev/null 2>&1
        iconv -f UTF-16 -t UTF-8 "$work/$hive.reg" | tr -d '\r' | grep '^\[' |
            grep -Evi '\\(Wine|Microsoft\\Windows\\CurrentVersion\\Explorer|Microsoft\\Windows NT)' |
            grep -vxF -e '[HKEY_CURRENT_USER\Software\Classes]' \
                -e '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall]' || true
    done
}
# Starts the program in Xvfb and waits up to a minute for its window (a first start in a new
# prefix is slow).
window_appears() {
    # Wine's session started by the registry checks has no display; windows need a new one.
    wineserver -k 2>/dev/null || true
    wineserver -w
    xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        wine "$1" </dev/null >/dev/null 2>&1 &
        for _ in $(seq 200); do
            wid=$(xdotool search --name "^Corvenda" 2>/dev/null | head -1 || true)
            [[ -n $wid ]] && break
            sleep 0.3
        done
        wineserver -k
        [[ -n $wid ]]' _ "$1" </dev/null
}

round() { # round MODE PROGRAM_FOLDER ROOT_KEY SHORTCUT_FOLDER UNINSTALL_OPTIONS...
    local mode=$1 folder=$2 root=$3 menu=$4
    shift 4
    local uninstall="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvenda"
    local classes="$root\\Software\\Classes" before
    echo "Install for $mode:"
    before=$(snapshot)
    wine "$setup" /S "/$mode"
    wineserver -w
    check "corvenda.exe and nconvert.exe in $folder" \
        test -f "$drive/$folder/corvenda.exe" -a -f "$drive/$folder/nconvert.exe"
    check "notices beside the program" test -f "$drive/$folder/THIRD-PARTY-NOTICES.txt"
    check "Start-menu shortcut" test -f "$drive/$menu/Corvenda.lnk"
    check "Apps & features: display name" equals "$(value_of "$uninstall" DisplayName)" Corvenda
    check "Apps & features: publisher" equals "$(value_of "$uninstall" Publisher)" Quenlow
    check "Apps & features: version" equals "$(value_of "$uninstall" DisplayVersion)" "$version"
    check "Apps & features: icon" equals "$(value_of "$uninstall" DisplayIcon)" \
        "C:\\${folder//\//\\}\\corvenda.exe,0"
    check "Apps & features: uninstaller" test -f "$drive/$folder/uninstall.exe"
    check "Apps & features: size" has_value "$uninstall" EstimatedSize
    check "Apps & features: quiet uninstall" has_value "$uninstall" QuietUninstallString
    local ext
    for ext in ani cur; do
        check ".$ext: Open with Corvenda" has_value "$classes\\.$ext\\OpenWithProgids" "Quenlow.Corvenda.$ext"
        check ".$ext: listed as supported" has_value "$classes\\Applications\\corvenda.exe\\SupportedTypes" ".$ext"
        check ".$ext: default program untouched" no_key "$classes\\.$ext\\shell"
    done
    check "the installed program shows its window" window_appears "C:\\${folder//\//\\}\\corvenda.exe"
    wine "C:\\${folder//\//\\}\\nconvert.exe" -out jpeg -o 'C:\arrow.jpg' "C:\\${folder//\//\\}\\Samples\\arrow.ani" || true
    check "the installed nconvert converts a sample" test -s "$drive/arrow.jpg"
    rm -f "$drive/arrow.jpg"
    wine reg add 'HKCU\Software\Quenlow\Corvenda' /v Probe /d kept /f >/dev/null 2>&1

    echo "Uninstall ($*):"
    wine "C:\\${folder//\//\\}\\uninstall.exe" /S "$@"
    # The uninstaller runs from a copy in the temporary folder; wait for it to end.
    wineserver -w
    sleep 1
    local settings=kept
    [[ " $* " == *" /RemoveSettings "* ]] && settings=removed
    if [[ $settings == kept ]]; then
        check "the user's settings stay" has_value 'HKCU\Software\Quenlow\Corvenda' Probe
        wine reg delete 'HKCU\Software\Quenlow' /f >/dev/null 2>&1
    else
        check "the user's settings are removed" no_key 'HKCU\Software\Quenlow'
    fi
    check "the program folder is gone" test ! -e "$drive/$folder"
    local left
    left=$(diff <(printf '%s\n' "$before") <(snapshot) | grep '^[<>]' || true)
    if [[ -z $left ]]; then
        echo "  ok    nothing else left"
    else
        echo "  FAIL  left behind or changed:"
        sed 's/^/          /' <<<"$left"
        failures=$((failures + 1))
    fi
}

# Installs per machine through the installer's pages, pressing Enter on each until "Finish" (with
# "Run Corvenda" left checked), and waits up to two minutes for the program's window. Wine's
# trace of process starts goes to $work/starts.log.
install_through_pages() {
    wineserver -k 2>/dev/null || true
    wineserver -w
    WINEDEBUG=+process xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        wine "$1" /AllUsers </dev/null >/dev/null 2>"$2" &
        shown=
        for _ in $(seq 400); do
            # NSIS ends the caption with a space.
            setup=$(xdotool search --name "^Corvenda Setup" 2>/dev/null | head -1 || true)
            if [[ -n $setup ]]; then
                xdotool windowfocus "$setup" 2>/dev/null && xdotool key Return 2>/dev/null || true
            fi
            shown=$(xdotool search --name "^Corvenda$" 2>/dev/null | head -1 || true)
            [[ -n $shown ]] && break
            sleep 0.3
        done
        wineserver -k
        [[ -n $shown ]]' _ "$setup" "$work/starts.log" </dev/null
}
# Whether the trace shows Explorer asked to start the installed program.
started_through_explorer() {
    grep -a 'CreateProcessInternalW' "$work/starts.log" | grep -ai 'explorer\.exe' |
        grep -qai 'Program Files\\\\Corvenda\\\\corvenda\.exe'
}

echo "Install through the pages, finished with \"Run Corvenda\":"
check "the program's window appears" install_through_pages
check "the installer handed the start to Explorer" started_through_explorer
wine "C:\\Program Files\\Corvenda\\uninstall.exe" /S /AllUsers
wineserver -w
sleep 1
check "uninstalled again" test ! -e "$WINEPREFIX/drive_c/Program Files/Corvenda"
wine reg delete 'HKCU\Software\Quenlow' /f >/dev/null 2>&1 || true

version=$(basename "$setup" | sed -E 's/^Corvenda-(.*)-setup\.exe$/\1/')
user=$(basename "$(ls -d "$drive/users/"* | grep -v Public | head -1)")
round AllUsers "Program Files/Corvenda" HKLM "ProgramData/Microsoft/Windows/Start Menu/Programs"
round CurrentUser "users/$user/AppData/Local/Programs/Corvenda" HKCU \
    "users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" /RemoveSettings
echo
if ((failures)); then
    echo "installer-test.sh: $failures checks failed"
    exit 1
fi
echo "installer-test.sh: all checks passed"
