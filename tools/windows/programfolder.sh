# Sourced by the Windows packaging scripts: what of the build's program folder (build/windows/bin,
# made by tools/windows/build.sh) a user gets.
program_bin=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/windows/bin

# Copies the program and what it loads into folder $1, stripped. Test programs, the test library
# and Qt's JPEG plugin (only the tests read JPEG through Qt; the program writes its JPGs with its
# own converter) stay out.
copy_program_folder() {
    local dest=$1 files
    [[ -f $program_bin/corvenda.exe ]] || {
        echo "${0##*/}: run tools/windows/build.sh first" >&2
        return 2
    }
    files=(corvenda.exe nconvert.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll
        libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll styles
        imageformats/qico.dll Samples HAND-M.CUR drag.ico corvenda.ico THIRD-PARTY-NOTICES.txt)
    [[ -d $program_bin/x ]] && files+=(x)
    mkdir -p "$dest"
    (cd "$program_bin" && cp -r --parents "${files[@]}" "$dest/")
    # Debian's MinGW runtime and our Qt carry their debugging symbols; a user has no use for them.
    find "$dest" \( -name '*.dll' -o -name '*.exe' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
}
