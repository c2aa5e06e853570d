#!/usr/bin/env bash
# Takes the README's screenshots: Blinkwatch's dialog and its tray icons,
# running under Wine in a virtual desktop (which has a taskbar with a tray)
# on a virtual X display.
#
#   scripts/screenshots.sh [OUTPUT_FOLDER]     (default: docs/images)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/images}")
source "$root/scripts/wine-arch.sh"
exe="$root/build/$wine_arch/src/blinkwatch.exe"
[ -f "$exe" ] || bash "$root/scripts/build.sh"
loader=$(wine_loader "$wine_arch")

work="$root/build/screenshots"
rm -rf "$work" && mkdir -p "$work/app" "$out"
cp "$exe" "$work/app/"
cat > "$work/app/Blinkwatch.ini" <<'INI'
[GENERALOPTIONS]
AlternativeIcons=No
Pollinterval=100
Pollintervalmeters=500
ShowCPUUsageMulti=Yes
WindowPosLeft=60
WindowPosTop=40
WindowPosRight=700
WindowPosBottom=520
[CPU Usage]
Enabled=Yes
[CPU #0 Usage]
Enabled=Yes
[CPU #1 Usage]
Enabled=Yes
[RAM Usage]
Enabled=Yes
[VRAM Usage]
Enabled=Yes
[NIC #0 Usage]
Enabled=Yes
[NIC #1 Usage]
Enabled=Yes
INI

exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
read -r -u 8 number
xvfb=$!
export DISPLAY=":$number" WINEPREFIX="$work/wineprefix" WINEARCH="$wine_arch" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml="
[ "$wine_arch" = win32 ] || export WINELOADER="$loader"
cleanup() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT

"$loader" wineboot -i >/dev/null 2>&1
wineserver -w
(cd "$work/app" && "$loader" explorer /desktop=Blinkwatch,800x600 blinkwatch.exe >/dev/null 2>&1 &)
sleep 10
import -window root -crop 800x600+0+0 +repage "$work/desktop.png"
convert "$work/desktop.png" -crop 650x490+55+35 +repage "$out/dialog.png"
# The settings above place the window where this crop expects it.
# The tray: the right end of the taskbar, enlarged so the icons can be read.
convert "$work/desktop.png" -crop 220x20+580+580 +repage -scale 300% "$out/tray.png"

# The tray at 150 % (144 DPI, which Wine reads at a process's start) with
# IconSize=Auto: 24-pixel icons in a taller taskbar.
wineserver -k 2>/dev/null || true
"$loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
sed -i 's/^\[GENERALOPTIONS\]\r\?$/&\nIconSize=Auto/' "$work/app/Blinkwatch.ini"
# Started as at log-on, so that the window stays hidden and the tray shows.
(cd "$work/app" && "$loader" explorer /desktop=Blinkwatch,800x600 blinkwatch.exe /startup >/dev/null 2>&1 &)
sleep 12
import -window root -crop 800x600+0+0 +repage "$work/desktop-144.png"
convert "$work/desktop-144.png" -crop 260x30+540+570 +repage -scale 300% "$out/tray-auto-144.png"
"$loader" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
echo "screenshots: $out/dialog.png, $out/tray.png and $out/tray-auto-144.png"
