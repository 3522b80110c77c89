#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR (prefix /usr) and into a moved prefix, and checks
# what a desktop needs of the result. Usage: install_test.sh BUILD_DIR WINDOW_CHECK_PROGRAM VERSION
set -uo pipefail
build=$1
window_check=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
skipped=()
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

install_into() { # DESTDIR PREFIX
  if ! DESTDIR=$1 cmake --install "$build" --prefix "$2" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install into ${1:-(no DESTDIR)} with prefix $2"
    exit 1
  fi
}

root=$work/dest/usr
install_into "$work/dest" /usr

# Programs, data and desktop files where the file-system hierarchy puts them.
expected=(
  bin/corvenda
  libexec/corvenda/nconvert
  share/corvenda/HAND-M.CUR
  share/corvenda/drag.ico
  share/applications/com.quenlow.Corvenda.desktop
  share/metainfo/com.quenlow.Corvenda.metainfo.xml
  share/thumbnailers/corvenda.thumbnailer
  share/man/man1/corvenda.1.gz
  share/doc/corvenda/copyright
  share/doc/corvenda/changelog.gz
  share/icons/hicolor/scalable/apps/corvenda.svg)
for sample in hourglass spinner arrow pulse traffic clock sun pencil; do
  expected+=("share/corvenda/Samples/$sample.ani")
done
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/corvenda.png")
done
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "missing $file"
done
for program in bin/corvenda libexec/corvenda/nconvert; do
  [ -x "$root/$program" ] || fail "$program is not executable"
done
# Nothing but the program itself on PATH, and no data beside it.
extra=$(ls "$root/bin" | grep -vx corvenda)
[ -z "$extra" ] || fail "unexpected files in bin: $extra"
[ "$(find "$work/dest" -mindepth 1 -maxdepth 1)" = "$work/dest/usr" ] || fail "files outside the prefix"
for size in 16 22 24 32 48 64 128 256; do
  icon=$root/share/icons/hicolor/${size}x${size}/apps/corvenda.png
  [ -f "$icon" ] || continue
  read -r w h < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8}')
  [ "$w $h" = "$size $size" ] || fail "icon ${size}x${size} is ${w}x${h}"
done

# The installed window finds its files in share/corvenda, also from a prefix installed elsewhere.
cp "$window_check" "$root/bin/"
"$root/bin/$(basename "$window_check")" --gtest_brief=1 || fail "the window in the DESTDIR tree"
moved=$work/moved/opt/corvenda
install_into "" "$moved"
cp "$window_check" "$moved/bin/"
"$moved/bin/$(basename "$window_check")" --gtest_brief=1 || fail "the window in a moved prefix"

# Help and version without a display, for the window and the converter alike.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
out=$("${nodisplay[@]}" "$root/bin/corvenda" --version 2>&1) || fail "corvenda --version: $out"
[ "$out" = "Corvenda $version
Licence notices of the libraries it carries: $root/share/doc/corvenda/THIRD-PARTY-NOTICES.txt" ] ||
  fail "corvenda --version printed: $out"
out=$("${nodisplay[@]}" "$root/bin/corvenda" --help 2>&1) || fail "corvenda --help: $out"
grep -q "^usage: corvenda" <<<"$out" || fail "corvenda --help printed: $out"
out=$("$root/libexec/corvenda/nconvert" --version 2>&1) || fail "nconvert --version: $out"
[ "$out" = "nconvert $version" ] || fail "nconvert --version printed: $out"

# The desktop's validators: no error and no warning (hints and pedantic notes are allowed).
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$root/share/applications/com.quenlow.Corvenda.desktop" 2>&1)
  if [ $? -ne 0 ] || grep -Eq ': (error|warning):' <<<"$out"; then
    fail "desktop-file-validate: $out"
  fi
else
  skipped+=("desktop-file-validate is not installed (tools/deps.sh installs desktop-file-utils)")
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$root/share/metainfo/com.quenlow.Corvenda.metainfo.xml" 2>&1)
  if [ $? -ne 0 ] || grep -Eq '^[EW]:' <<<"$out"; then
    fail "appstreamcli validate: $out"
  fi
else
  skipped+=("appstreamcli is not installed (tools/deps.sh installs appstream)")
fi

# GNOME's sandbox sees only /usr: outside it no thumbnailer is installed to fail there.
[ ! -e "$moved/share/thumbnailers" ] || fail "a thumbnailer was installed into $moved"

# The thumbnailer's Exec line, run as a file manager runs it, with the converter it names taken
# from the DESTDIR tree: a PNG of each sample that fits 128 x 128 and keeps its transparency.
exec_line=$(sed -n 's/^Exec=//p' "$root/share/thumbnailers/corvenda.thumbnailer")
case $exec_line in
  "/usr/libexec/corvenda/nconvert "*) ;;
  *) fail "the thumbnailer does not run the installed converter: $exec_line" ;;
esac
read -ra words <<<"$exec_line"
for sample in "$root"/share/corvenda/Samples/*.ani; do
  out=$work/thumb-$(basename "$sample" .ani).png
  command=("$work/dest${words[0]}")
  for word in "${words[@]:1}"; do
    case $word in
      %s) command+=(128) ;;
      %i) command+=("$sample") ;;
      %o) command+=("$out") ;;
      *) command+=("$word") ;;
    esac
  done
  "${command[@]}" || { fail "thumbnailer on $sample"; continue; }
  # The size a 128 box gives the full-size frame: a whole multiple, or shrunk to fit.
  "$root/libexec/corvenda/nconvert" -out png -o "$work/full.png" -overwrite "$sample"
  read -r fw fh < <(identify -format '%w %h' "$work/full.png")
  long=$((fw > fh ? fw : fh))
  if [ "$long" -le 128 ]; then
    k=$((128 / long))
    [ "$k" -ge 2 ] || k=1
    want="$((fw * k)) $((fh * k))"
  else
    want="$(((fw * 128 + long / 2) / long)) $(((fh * 128 + long / 2) / long))"
  fi
  got=$(identify -format '%m %w %h %[opaque]' "$out" 2>&1)
  [ "${got,,}" = "png $want false" ] || fail "thumbnail of $(basename "$sample"): '$got', want 'PNG $want False'"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
if [ ${#skipped[@]} -gt 0 ]; then
  printf 'SKIPPED: %s\n' "${skipped[@]}"
  exit 77
fi
echo "installed layout, program folder, desktop files and thumbnailer: all good"
