# Sourced by the Windows scripts: a private Wine prefix set up for Corvenda's tests.
#   CORVENDA_WINEPREFIX  the prefix (default ~/.cache/corvenda-windows/wineprefix)
export WINEPREFIX=${CORVENDA_WINEPREFIX:-${CORVENDA_WINDOWS_CACHE:-$HOME/.cache/corvenda-windows}/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Creates the prefix once: Arial (the window's font) drawn with Liberation Sans, and no crash
# dialog waiting for a click when a test program dies.
prepare_wine_prefix() {
    if [[ ! -e $WINEPREFIX/.corvenda-ready ]]; then
        wineboot -i >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
            /d 'Liberation Sans' /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 \
            /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.corvenda-ready"
    fi
}
