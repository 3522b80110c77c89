#!/usr/bin/env bash
# Asks XFCE's thumbnail service (tumbler) over D-Bus for a preview of each installed sample, as
# Thunar does, and checks that each arrives as a PNG that fits 128 x 128. Tumbler sees no other
# thumbnailer for the run (its gdk-pixbuf plugin is off and only our thumbnailer file is in its
# data folders): where ours fails, tumbler would quietly fall back to one that reads most ANI
# files, and the check would prove nothing.
# It checks an installation: the one under /usr (the Debian package) unless PREFIX names another
# (configured with -DCORVENDA_INSTALL_THUMBNAILER=ON when it is not under /usr).
#   bash tools/tumbler-check.sh [PREFIX]      (installs tumbler when missing)
set -euo pipefail
prefix=$(realpath -m "${1:-/usr}")
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
for p in tumbler dbus libglib2.0-bin imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "$p"
done
[ -f "$prefix/share/thumbnailers/corvenda.thumbnailer" ] || {
  echo "no thumbnailer installed in $prefix"
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/samples" "$work/home" "$work/config/tumbler" "$work/data/thumbnailers"
cp "$prefix"/share/corvenda/Samples/*.ani "$work/samples/"
cp "$prefix/share/thumbnailers/corvenda.thumbnailer" "$work/data/thumbnailers/"
# gdk-pixbuf, which reads the preview back, tells PNG by the shared MIME database.
ln -s /usr/share/mime "$work/data/mime"
sed '/^\[PixbufThumbnailer\]/,/^\[/ s/^Disabled=false/Disabled=true/' /etc/xdg/tumbler/tumbler.rc \
  >"$work/config/tumbler/tumbler.rc"
tumblerd=$(sed -n 's/^Exec=//p' /usr/share/dbus-1/services/org.xfce.Tumbler.Thumbnailer1.service)
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config

cat >"$work/ask.sh" <<'ASK'
set -euo pipefail
work=$1 tumblerd=$2
# Started here rather than by D-Bus activation, so that it sees our thumbnailer alone.
XDG_DATA_DIRS=$work/data XDG_DATA_HOME=$work/data G_MESSAGES_DEBUG=all "$tumblerd" \
  >"$work/tumblerd.log" 2>&1 &
# Asking the bus who owns the name does not start the service the usual way.
for _ in $(seq 100); do
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner org.freedesktop.thumbnails.Thumbnailer1 |
    grep -q true && break
  sleep 0.1
done
uris=() mimes=()
for f in "$work"/samples/*.ani; do
  uris+=("'file://$f'")
  mimes+=("'application/x-navi-animation'")
done
join() { local IFS=,; echo "[$*]"; }
gdbus monitor --session --dest org.freedesktop.thumbnails.Thumbnailer1 >"$work/signals.log" 2>&1 &
monitor=$!
gdbus call --session --dest org.freedesktop.thumbnails.Thumbnailer1 \
  --object-path /org/freedesktop/thumbnails/Thumbnailer1 \
  --method org.freedesktop.thumbnails.Thumbnailer1.Queue \
  "$(join "${uris[@]}")" "$(join "${mimes[@]}")" normal default 0 >/dev/null
# Finished arrives once every file is done or has failed; 60 s is far more than 8 previews take.
for _ in $(seq 600); do
  grep -q '\.Finished' "$work/signals.log" && break
  sleep 0.1
done
kill "$monitor"
ASK
dbus-run-session -- bash "$work/ask.sh" "$work" "$tumblerd"

total=0 good=0
for f in "$work"/samples/*.ani; do
  total=$((total + 1))
  hash=$(printf '%s' "file://$f" | md5sum | cut -d' ' -f1)
  thumb=$work/cache/thumbnails/normal/$hash.png
  got=$(identify -format '%m %w %h' "$thumb" 2>/dev/null || echo "none")
  read -r kind w h _ <<<"$got 0 0"
  if [ "$kind" = PNG ] && [ "$w" -le 128 ] && [ "$h" -le 128 ] && [ "$w" -gt 0 ]; then
    good=$((good + 1))
    echo "$(basename "$f"): PNG ${w}x${h}"
  else
    echo "$(basename "$f"): no preview ($got)"
  fi
done
grep -E 'Failed attempt|Error signal' "$work/tumblerd.log" || true
grep -q "Registered thumbnailer '$work/data/thumbnailers/corvenda.thumbnailer'" "$work/tumblerd.log" || {
  echo "tumbler did not take up the thumbnailer"
  good=0
}
echo "tumbler previews from $prefix: $good of $total"
[ "$good" -eq "$total" ]
