#!/usr/bin/env bash
# Cross-builds Corvenda for 64-bit Windows into build/windows (program folder build/windows/bin).
# libjpeg-turbo, libpng and qtbase are built from Debian's source packages, at the versions the
# Linux build uses, into a cache outside the repository; each part is rebuilt only when its
# recipe (its function below, the toolchain file, its source version) changes.
#   CORVENDA_WINDOWS_CACHE  the cache folder (default ~/.cache/corvenda-windows)
#   JOBS                    parallel build jobs (default 2)
set -euo pipefail
shopt -s inherit_errexit
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
cache=${CORVENDA_WINDOWS_CACHE:-$HOME/.cache/corvenda-windows}
jobs=${JOBS:-2}
# The cached Qt remembers its toolchain file by path, so the file lives in the cache too.
toolchain=$cache/mingw-w64-x86_64.cmake
libs=$cache/libs
qt=$cache/qt
gtest=$cache/gtest

log() { printf '%s\n' "build.sh: $*" >&2; }

install_packages() {
    local wanted=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
        wine64 wine fonts-liberation dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools
        libgtest-dev xvfb xdotool zip)
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if ((${#missing[@]})); then
        log "installing ${missing[*]}"
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# Source packages come through a private apt configuration: the machine's own lists stay as
# they are. Same archive and suites as the machine's binary packages.
apt_private() {
    local tool=apt-get dir=$cache/apt
    [[ $1 == showsrc ]] && tool=apt-cache
    $tool -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts" \
        -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" "$@"
}

prepare_apt() {
    local dir=$cache/apt
    mkdir -p "$dir/parts" "$dir/lists/partial" "$dir/cache/archives/partial"
    cat >"$dir/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
    if [[ ! -e $dir/updated ]]; then
        apt_private update -qq
        touch "$dir/updated"
    fi
}

# The source package and version behind an installed binary package.
source_of() {
    dpkg-query -W -f='${source:Package}=${source:Version}' "$1"
}

# Unpacks (once) the Debian source of binary package $1; prints the source folder.
fetch_source() {
    local spec name version dir
    spec=$(source_of "$1")
    name=${spec%%=*}
    version=${spec#*=}
    dir=$cache/src/$name-${version//[:~+]/_}
    if [[ ! -e $dir/.unpacked ]]; then
        prepare_apt
        mkdir -p "$cache/src/dl"
        # The installed version when the archive still has it, else the newest one it serves
        # in full (a security mirror may list a version whose files it lacks).
        local candidates=("$version") v dsc=
        mapfile -t -O 1 candidates < <(apt_private showsrc "$name" |
            sed -n 's/^Version: //p' | sort -urV)
        for v in "${candidates[@]}"; do
            if (cd "$cache/src/dl" && apt_private source --download-only "$name=$v" >&2); then
                dsc=$cache/src/dl/${name}_${v#*:}.dsc
                break
            fi
        done
        [[ -n $dsc ]] || { log "no source of $name could be fetched"; return 1; }
        rm -rf "$dir"
        dpkg-source --no-check -x "$dsc" "$dir" >&2
        touch "$dir/.unpacked"
    fi
    printf '%s\n' "$dir"
}

# Runs stage $1 unless its stamp matches the current recipe.
stage() {
    local name=$1 key
    key=$( {
        declare -f "build_$name"
        cat "$toolchain"
        source_of "${2:-dpkg}"
    } | sha256sum | cut -c1-16)
    if [[ $(cat "$cache/stamps/$name" 2>/dev/null) == "$key" ]]; then
        log "$name: up to date"
        return
    fi
    log "$name: building"
    "build_$name" "${2:-}"
    mkdir -p "$cache/stamps"
    printf '%s\n' "$key" >"$cache/stamps/$name"
}

cross_cmake() {
    cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "$@"
}

build_libjpeg() {
    local src
    src=$(fetch_source "$1")
    rm -rf "$cache/build/libjpeg"
    cross_cmake -S "$src" -B "$cache/build/libjpeg" -DCMAKE_INSTALL_PREFIX="$libs" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=0 -DWITH_TURBOJPEG=ON
    cmake --build "$cache/build/libjpeg" -j "$jobs" --target install
}

build_libpng() {
    local src
    src=$(fetch_source "$1")
    rm -rf "$cache/build/libpng"
    cross_cmake -S "$src" -B "$cache/build/libpng" -DCMAKE_INSTALL_PREFIX="$libs" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
        -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
    cmake --build "$cache/build/libpng" -j "$jobs" --target install
}

# GoogleTest from Debian's own source copy, for the test programs.
build_gtest() {
    rm -rf "$cache/build/gtest"
    cross_cmake -S /usr/src/googletest -B "$cache/build/gtest" -DCMAKE_INSTALL_PREFIX="$gtest" \
        -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
    cmake --build "$cache/build/gtest" -j "$jobs" --target install
}

# The Linux Qt's host tools (moc, rcc, uic) serve the cross build. The tablet header is not in
# Debian's source, so tablet events are off; the Windows platform plugin needs OpenGL on.
# Qt's own copies of zlib, libpng, libjpeg and the rest keep the DLLs free of outside ones.
build_qtbase() {
    local src
    src=$(fetch_source "$1")
    rm -rf "$cache/build/qtbase" "$qt"
    cross_cmake -S "$src" -B "$cache/build/qtbase" -DCMAKE_INSTALL_PREFIX="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    # Only the libraries and plugins Corvenda and its tests load (the tests read JPEG): a fifth
    # less to build than everything.
    nice -n 5 cmake --build "$cache/build/qtbase" -j "$jobs" --target Widgets Test \
        QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QWindowsVistaStylePlugin QICOPlugin \
        QJpegPlugin
    install_qt_parts "$cache/build/qtbase"
}

# Installs folder by folder, leaving out the parts that were not built.
install_qt_parts() {
    local skip='^\./(config\.tests|doc|src/openglwidgets|src/platformsupport/fbconvenience|src/plugins/platforms/(direct2d|minimal)|src/plugins/imageformats/gif)(/|$)'
    (cd "$1" && find . -name cmake_install.cmake -printf '%h\n' | sort | grep -Ev "$skip") |
        while read -r dir; do
            cmake -DCMAKE_INSTALL_LOCAL_ONLY=ON -P "$1/$dir/cmake_install.cmake" >/dev/null
        done
}

# Test programs run under Wine, where the build tree is drive Z:.
build_corvenda() {
    local out=$repo/build/windows
    export CORVENDA_WINDOWS_PREFIXES="$libs:$gtest"
    "$qt/bin/qt-cmake" -S "$repo" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCORVENDA_WINDOWS_RUNTIME="$(runtime_dlls)" -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
        -DCORVENDA_TEST_PATH_PREFIX=Z: -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain"
    # The sample generator runs under Wine during the build.
    source "$here/wine.sh"
    prepare_wine_prefix
    cmake --build "$out" -j "$jobs"
}

# The MinGW runtime the Qt DLLs and corvenda.exe need beside them.
runtime_dlls() {
    local gcc
    gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    printf '%s;%s;%s' "$gcc/libstdc++-6.dll" "$gcc/libgcc_s_seh-1.dll" \
        /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
}

main() {
    install_packages
    mkdir -p "$cache"
    cmp -s "$here/mingw-w64-x86_64.cmake" "$toolchain" || cp "$here/mingw-w64-x86_64.cmake" "$toolchain"
    stage libjpeg libturbojpeg0
    stage libpng libpng16-16
    stage gtest libgtest-dev
    stage qtbase qt6-base-dev
    [[ ${1:-} == --deps-only ]] && return
    build_corvenda
}

main "$@"
