#!/usr/bin/env bash
# Cross-builds Corvenda for 64-bit Windows into build/windows (program folder build/windows/bin).
# libjpeg-turbo, libpng, giflib, libwebp and qtbase are built from Debian's source packages, at the versions the
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
        libgtest-dev xvfb xdotool zip libgif-dev libwebp-dev nsis)
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
# they are.
apt_private() {
    local tool=apt-get dir=$cache/apt
    [[ $1 == showsrc ]] && tool=apt-cache
    $tool -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/parts" \
        -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir/cache" "$@"
}

# The archives and suites the machine takes its binary packages from, one "URI SUITE
# COMPONENTS<tab>KEYRING" line each, from one-line lists and deb822 files alike.
machine_archives() {
    local files=() file
    [[ -f /etc/apt/sources.list ]] && files+=(/etc/apt/sources.list)
    for file in /etc/apt/sources.list.d/*.list; do [[ -f $file ]] && files+=("$file"); done
    if ((${#files[@]})); then
        awk '{ sub(/#.*/, "") }
            $1 == "deb" {
                i = 2; keyring = ""
                if ($2 ~ /^\[/) {
                    for (; i <= NF; i++) {
                        if ($i ~ /signed-by=/) { keyring = $i; sub(/.*signed-by=/, "", keyring); sub(/\]$/, "", keyring) }
                        if ($i ~ /\]$/) { i++; break }
                    }
                }
                line = $i " " $(i + 1)
                for (j = i + 2; j <= NF; j++) line = line " " $j
                print line "\t" keyring
            }' "${files[@]}"
    fi
    for file in /etc/apt/sources.list.d/*.sources; do
        [[ -f $file ]] || continue
        # A key written into the file (continuation lines) is left to apt's own keyrings.
        awk 'function flush(  u, s, nu, ns, us, ss) {
                if (types ~ /(^| )deb( |$)/ && tolower(enabled) != "no") {
                    nu = split(uris, us, " "); ns = split(suites, ss, " ")
                    for (u = 1; u <= nu; u++)
                        for (s = 1; s <= ns; s++) print us[u] " " ss[s] " " components "\t" keyring
                }
                types = uris = suites = components = keyring = enabled = key = ""
            }
            /^#/ { next }
            /^[ \t]*$/ { flush(); next }
            /^[ \t]/ { if (key == "signed-by") keyring = ""; next }
            {
                key = tolower(substr($0, 1, index($0, ":") - 1))
                value = substr($0, index($0, ":") + 1)
                gsub(/^[ \t]+|[ \t]+$/, "", value); gsub(/[ \t]+/, " ", value)
                if (key == "types") types = value
                else if (key == "uris") uris = value
                else if (key == "suites") suites = value
                else if (key == "components") components = value
                else if (key == "signed-by") keyring = value
                else if (key == "enabled") enabled = value
            }
            END { flush() }' "$file"
    done
}

# Whether apt's lists on this machine hold a release file of Debian's for archive $1, suite $2:
# the source packages come from there, not from third-party archives.
debian_release() {
    local name=${1#*://}
    name=${name%/}
    name=${name//\//_}_dists_${2//\//_}
    grep -qsx 'Origin: Debian' /var/lib/apt/lists/"${name}"_{InRelease,Release}
}

# deb-src lines for the Debian archives and suites the machine uses.
machine_source_list() {
    local archive keyring uri suite components
    while IFS=$'\t' read -r archive keyring; do
        read -r uri suite components <<<"$archive"
        debian_release "$uri" "$suite" || continue
        printf 'deb-src %s%s %s %s\n' "${keyring:+[signed-by=$keyring] }" "$uri" "$suite" "$components"
    done < <(machine_archives) | sort -u
}

prepare_apt() {
    local dir=$cache/apt list
    mkdir -p "$dir/parts" "$dir/lists/partial" "$dir/cache/archives/partial"
    list=$(machine_source_list)
    # A machine whose package lists were cleared (as container images do) fetches them first.
    if [[ -z $list ]]; then
        apt-get update -qq
        list=$(machine_source_list)
    fi
    [[ -n $list ]] || {
        log "no Debian archive found in /etc/apt with its lists in /var/lib/apt/lists (apt-get update?)"
        return 1
    }
    if [[ ! -e $dir/updated || $list != "$(cat "$dir/sources.list" 2>/dev/null)" ]]; then
        printf '%s\n' "$list" >"$dir/sources.list"
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
    local source name version dir
    source=$(source_of "$1")
    name=${source%%=*}
    version=${source#*=}
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

# Writes "SOURCE VERSION COPYRIGHT DSC" of what stage $1 built from binary package $2, for the
# licence notices (tools/notices.sh) and the source archive (sources.sh). The version is the
# unpacked source's own, which need not be the installed one.
record_source() {
    local dir source version
    dir=$(fetch_source "$2")
    source=$(dpkg-parsechangelog -l "$dir/debian/changelog" -S Source)
    version=$(dpkg-parsechangelog -l "$dir/debian/changelog" -S Version)
    mkdir -p "$cache/versions"
    printf '%s %s %s %s\n' "$source" "$version" "$dir/debian/copyright" \
        "$cache/src/dl/${source}_${version#*:}.dsc" >"$cache/versions/$1"
}

# Downloads (once) source package $1 at version $2 into the cache, for the third-party source
# archive. A mirror that lacks a file costs the archive, not the build: sources.sh names what
# is missing.
download_source() {
    local dsc=$cache/src/dl/${1}_${2#*:}.dsc
    if [[ ! -f $dsc || ! -f $cache/src/dl/.complete-${1}_${2#*:} ]]; then
        prepare_apt
        mkdir -p "$cache/src/dl"
        if (cd "$cache/src/dl" && apt_private source --download-only "$1=$2" >&2); then
            touch "$cache/src/dl/.complete-${1}_${2#*:}"
        else
            log "the source of $1 $2 could not be fetched in full; the third-party source archive will lack it"
        fi
    fi
    printf '%s\n' "$dsc"
}

# The sources of the runtime DLLs shipped beside the program, which are not built here, at the
# versions installed, recorded in $cache/versions/$2 like the stages'.
fetch_runtime_source() {
    local source name version dsc
    source=$(source_of "$1")
    name=${source%%=*}
    version=${source#*=}
    dsc=$(download_source "$name" "$version")
    mkdir -p "$cache/versions"
    printf '%s %s - %s\n' "$name" "$version" "$dsc" >"$cache/versions/$2"
}

# GCC's runtime for MinGW is built from GCC's own source package; the binary package names it.
fetch_gcc_source() {
    local built name version dsc
    built=$(dpkg-query -W -f='${Built-Using}' gcc-mingw-w64-x86-64-posix-runtime)
    name=$(sed -nE 's/^(gcc-[0-9]+) \(= ([^)]+)\).*/\1/p' <<<"$built")
    version=$(sed -nE 's/^(gcc-[0-9]+) \(= ([^)]+)\).*/\2/p' <<<"$built")
    [[ -n $name ]] || { log "no GCC source named in Built-Using: $built"; return 1; }
    dsc=$(download_source "$name" "$version")
    printf '%s %s - %s\n' "$name" "$version" "$dsc" >"$cache/versions/gcc-source"
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

# giflib's Makefile also makes shared libraries and tools; only the static library is built.
build_giflib() {
    local src
    src=$(fetch_source "$1")
    rm -rf "$cache/build/giflib"
    mkdir -p "$cache/build"
    cp -r "$src" "$cache/build/giflib"
    make -C "$cache/build/giflib" -j "$jobs" CC=x86_64-w64-mingw32-gcc-posix \
        AR=x86_64-w64-mingw32-ar libgif.a
    install -D -m 644 "$cache/build/giflib/libgif.a" "$libs/lib/libgif.a"
    install -D -m 644 "$src/gif_lib.h" "$libs/include/gif_lib.h"
}

build_libwebp() {
    local src
    src=$(fetch_source "$1")
    rm -rf "$cache/build/libwebp"
    cross_cmake -S "$src" -B "$cache/build/libwebp" -DCMAKE_INSTALL_PREFIX="$libs" \
        -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_LIBWEBPMUX=ON -DWEBP_BUILD_ANIM_UTILS=OFF \
        -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF \
        -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
        -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
    cmake --build "$cache/build/libwebp" -j "$jobs" --target install
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
    local targets
    mapfile -t targets < <(qt_install_targets "$cache/build/qtbase")
    nice -n 5 cmake --build "$cache/build/qtbase" -j "$jobs" --target "${targets[@]}"
    install_qt_parts "$cache/build/qtbase"
}

# The folders of the Qt build tree that are installed: all but the modules and plugins Corvenda
# and its tests do not load (the tests read JPEG), a fifth less to build than everything.
qt_install_dirs() {
    local skip='^\./(config\.tests|doc|src/openglwidgets|src/platformsupport/fbconvenience|src/plugins/platforms/(direct2d|minimal)|src/plugins/imageformats/gif)(/|$)'
    (cd "$1" && find . -name cmake_install.cmake -printf '%h\n' | sort | grep -Ev "$skip")
}

# The build-tree files (relative paths) those folders install, leaving out documentation and
# optional files.
qt_installed_files() {
    local dir
    qt_install_dirs "$1" | while read -r dir; do
        awk -v build="$1/" '
            /^if\(/ { active = /NOT CMAKE_INSTALL_COMPONENT\)/ }
            /^endif\(\)/ { active = 0 }
            active && /file\(INSTALL / && / FILES / && !/ OPTIONAL / {
                rest = substr($0, index($0, " FILES ") + 7)
                while (match(rest, /"[^"]*"/)) {
                    file = substr(rest, RSTART + 1, RLENGTH - 2)
                    rest = substr(rest, RSTART + RLENGTH)
                    if (index(file, build) != 1) continue
                    file = substr(file, length(build) + 1)
                    sub(/^\.\//, "", file); sub(/\/$/, "", file)
                    print file
                }
            }' "$1/$dir/cmake_install.cmake"
    done | sort -u
}

# The build targets that make what is installed: build them all, and the install finds every
# file it copies. A file that is neither there nor made by the build stops the script here,
# before an hour of building rather than after it.
qt_install_targets() {
    local build=$1 made file missing=0
    made=$(cd "$build" && ninja -t targets all | sed -E 's/: [A-Za-z0-9_]+$//')
    while read -r file; do
        if grep -qxF "$file" <<<"$made"; then
            printf '%s\n' "$file"
        elif [[ ! -e $build/$file ]]; then
            log "qtbase: the install copies $file, which no build target makes"
            missing=1
        fi
    done < <(qt_installed_files "$build")
    return "$missing"
}

# Installs folder by folder: only the parts built above.
install_qt_parts() {
    qt_install_dirs "$1" | while read -r dir; do
        cmake -DCMAKE_INSTALL_LOCAL_ONLY=ON -P "$1/$dir/cmake_install.cmake" >/dev/null
    done
}

# Test programs run under Wine, where the build tree is drive Z:.
build_corvenda() {
    local out=$repo/build/windows
    export CORVENDA_WINDOWS_PREFIXES="$libs:$gtest"
    "$qt/bin/qt-cmake" -S "$repo" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCORVENDA_WINDOWS_RUNTIME="$(runtime_dlls)" -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
        -DCORVENDA_WINDOWS_CACHE="$cache" \
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
    stage giflib libgif-dev
    stage libwebp libwebp-dev
    stage gtest libgtest-dev
    stage qtbase qt6-base-dev
    record_source libjpeg libturbojpeg0
    record_source libpng libpng16-16
    record_source giflib libgif-dev
    record_source libwebp libwebp-dev
    record_source qtbase qt6-base-dev
    fetch_runtime_source gcc-mingw-w64-x86-64-posix-runtime gcc-runtime
    fetch_runtime_source mingw-w64-x86-64-dev mingw-runtime
    fetch_gcc_source
    [[ ${1:-} == --deps-only ]] && return
    build_corvenda
}

main "$@"
