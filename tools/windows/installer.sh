#!/usr/bin/env bash
# Builds the Windows installer build/windows/Corvenda-VERSION-setup.exe with NSIS from the build's
# program folder (tools/windows/build.sh makes it; installer.nsi says what the installer does),
# after checking that the licence notices name every DLL in it, and beside it the archive of
# third-party sources (sources.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/programfolder.sh"
build=$(dirname "$program_bin")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || { echo "installer.sh: no project version in $build/CMakeCache.txt" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copy_program_folder "$work/Corvenda"
bash "$here/../../tests/docs/notices_check.sh" "$work/Corvenda/THIRD-PARTY-NOTICES.txt" "$build" \
    --folder "$work/Corvenda"

# The file lists: each folder and file installed, removed in reverse order by the uninstaller.
(
    cd "$work/Corvenda"
    find . -type d | sort | while read -r dir; do
        win=${dir#.}
        printf 'SetOutPath "$INSTDIR%s"\n' "${win//\//\\}"
        find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
            printf 'File "%s"\n' "$work/Corvenda/${file#./}"
        done
    done
) >"$work/install.nsh"
(
    cd "$work/Corvenda"
    find . -type f | sort | while read -r file; do
        file=${file#./}
        printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
    done
    find . -mindepth 1 -type d | sort -r | while read -r dir; do
        dir=${dir#./}
        printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
    done
) >"$work/remove.nsh"

setup=$build/Corvenda-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPROGRAM="$work/Corvenda" -DOUTFILE="$setup" \
    -DINSTALL_FILES="$work/install.nsh" -DREMOVE_FILES="$work/remove.nsh" "$here/installer.nsi"
echo "$setup ($(du -k "$setup" | cut -f1) KB)"
# Beside it, the sources its LGPL and GPL parts were built from. A mirror that lacks one of them
# costs the archive, not the installer; it is not to be published without the archive.
if ! bash "$here/sources.sh"; then
    echo "installer.sh: the installer was built, but not the third-party source archive (above);" \
        "publish the installer only with that archive" >&2
fi
