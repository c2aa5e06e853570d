#!/usr/bin/env bash
# Takes the README's screenshots: Blinkwatch's dialog and its tray icons,
# running under Wine in a virtual desktop (which has a taskbar with a tray)
# on a virtual X display. Every option is at its default; the processors,
# RAM, virtual RAM and two network interfaces are ticked, and while the
# pictures are taken a busy loop loads one processor and a stream of
# datagrams keeps the loopback interface receiving and sending.
#
#   scripts/screenshots.sh [OUTPUT_FOLDER]     (default: docs/images)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/images}")
bash "$root/scripts/check-setup.sh"
source "$root/scripts/wine-arch.sh"
exe="$root/build/$wine_arch/src/blinkwatch.exe"
[ -f "$exe" ] || bash "$root/scripts/build.sh"
loader=$(wine_loader "$wine_arch")

work="$root/build/screenshots"
rm -rf "$work" && mkdir -p "$work/app" "$out"
cp "$exe" "$work/app/"
cat > "$work/app/Blinkwatch.ini" <<'INI'
[CPU #0 Usage]
Enabled=Yes
[CPU Usage]
Enabled=Yes
[RAM Usage]
Enabled=Yes
[VRAM Usage]
Enabled=Yes
[NIC #0 Usage]
Enabled=Yes
[NIC #3 Usage]
Enabled=Yes
INI

exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
read -r -u 8 number
xvfb=$!
export DISPLAY=":$number" WINEPREFIX="$work/wineprefix" WINEARCH="$wine_arch" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml="
[ "$wine_arch" = win32 ] || export WINELOADER="$loader"
busy=""
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" $busy 2>/dev/null || true
}
trap cleanup EXIT

"$loader" wineboot -i >/dev/null 2>&1
wineserver -w
# The title bar buttons are drawn with the Marlett symbol font, which Wine
# loads from the prefix's font folder only (Debian's fonts-wine package).
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
# Work for the meters and the lights: one busy processor, loopback traffic.
(while :; do :; done) & busy="$busy $!"
python3 -c '
import socket, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
while True:
    s.sendto(b"x" * 512, ("127.0.0.1", 9)); time.sleep(0.005)' & busy="$busy $!"
(cd "$work/app" && "$loader" explorer /desktop=Blinkwatch,800x600 blinkwatch.exe >/dev/null 2>&1 &)
sleep 12
import -window root -crop 800x600+0+0 +repage "$work/desktop.png"
# The window stands where its default rectangle puts it.
convert "$work/desktop.png" -crop 620x416+97+97 +repage "$out/dialog.png"
# The tray: the right end of the taskbar, enlarged so the icons can be read.
convert "$work/desktop.png" -crop 108x20+692+580 +repage -scale 300% "$out/tray.png"

# Started as at log-on, so that the window stays hidden and the tray shows; the
# picture is taken once the graphs have filled.
shoot() {   # name, crop
  wineserver -k 2>/dev/null || true
  wineserver -w
  (cd "$work/app" && "$loader" explorer /desktop=Blinkwatch,800x600 blinkwatch.exe /startup >/dev/null 2>&1 &)
  # Load that changes: a processor busy for a second, then idle for one.
  for _ in $(seq 6); do timeout 1 sh -c 'while :; do :; done' || true; sleep 1; done
  import -window root -crop 800x600+0+0 +repage "$work/desktop-$1.png"
  convert "$work/desktop-$1.png" -crop "$2" +repage -scale 300% "$out/$1.png"
}
# The tray at 150 % (144 DPI, which Wine reads at a process's start) with
# IconSize=Auto: 24-pixel icons in a taller taskbar; then with MeterStyle=Graph
# as well, every meter showing its last loads, one column per load tick.
"$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
{ printf '[GENERALOPTIONS]\nIconSize=Auto\n'; cat "$work/app/Blinkwatch.ini"; } > "$work/auto.ini"
mv "$work/auto.ini" "$work/app/Blinkwatch.ini"
shoot tray-auto-144 260x30+540+570
sed -i 's/^IconSize=Auto$/&\nPollintervalmeters=250\nMeterStyle=Graph/' "$work/app/Blinkwatch.ini"
shoot tray-graph 260x30+540+570
"$loader" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
echo "screenshots: $out/dialog.png, $out/tray.png, $out/tray-auto-144.png and $out/tray-graph.png"
