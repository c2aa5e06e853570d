#!/usr/bin/env bash
# Whole-program benchmark of Blinkwatch under Wine: what the running program
# costs, and which platform calls it makes per pass.
#
#   scripts/bench-wine.sh [--seconds N] [--units all|drives|meters|interfaces]
#
# Every Unit of the group (default all: 30 s) is enabled with its own tray
# icon, polled every 100 ms (meters every 500 ms), on a private virtual
# display and Wine prefix. Measured:
#  1. the CPU share of one core (utime+stime from /proc over elapsed time) of
#     blinkwatch.exe, the prefix's Wine server and Wine's explorer.exe (the
#     tray's host), beside gkrellm updating 10 times a second and the X server;
#  2. in a second, shorter run under Wine's relay trace, limited to the calls of
#     the timer tick that blinkwatch.exe makes itself: calls per pass and the
#     time inside them, the busiest and the median pass. A pass ends with the
#     tray update's Sleep(0): the calls between two Sleep(0) are one pass;
#  3. in a third run, traced only where the dialog procedure takes and returns
#     a timer message, how long the UI thread spends on each kind of tick:
#     close to untraced times, since nothing else is traced.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
die() { echo "bench-wine: $*" >&2; exit 1; }
seconds=30 group=all
while [ $# -gt 0 ]; do
  case "$1 ${2:-}" in
    "--seconds "[1-9]*) seconds=$2 ;;
    "--units all"|"--units drives"|"--units meters"|"--units interfaces") group=$2 ;;
    *) die "usage: $0 [--seconds N] [--units all|drives|meters|interfaces]" ;;
  esac
  shift 2
done
[[ $seconds =~ ^[1-9][0-9]*$ ]] || die "--seconds wants a whole number of seconds, not '$seconds'"
traced=$(( seconds < 10 ? seconds : 10 )) warmup=3

bash "$root/scripts/check-setup.sh"
for tool in Xvfb xdotool gkrellm wineserver; do
  command -v "$tool" >/dev/null && continue
  [ "$(id -u)" -eq 0 ] || die "$tool is missing; run once: sudo bash $root/scripts/setup.sh --bench"
  bash "$root/scripts/setup.sh" --bench
done
bash "$root/scripts/build.sh" | tail -n 1
source "$root/scripts/wine-arch.sh"
exe="$root/build/$wine_arch/src/blinkwatch.exe" loader=$(wine_loader "$wine_arch")
[ -f "$exe" ] || die "$exe was not built"
echo "bench-wine: the $wine_arch build, since $wine_reason; $group Units, ${seconds} s, traced ${traced} s"

work="$root/build/bench-wine/$wine_arch"
mkdir -p "$work"
exec 9>"$work.lock"
flock -n 9 || die "another bench-wine run is using $work"
export WINEPREFIX="$work/wineprefix" WINEARCH="$wine_arch" WINEDEBUG=-all \
       WINEDLLOVERRIDES="mscoree,mshtml="
[ "$wine_arch" = win32 ] || export WINELOADER="$loader"
xvfb="" gkrellm_pid="" sleeper=""
cleanup() {   # wineserver -k ends every process of this prefix, and only those
  kill $gkrellm_pid $sleeper 2>/dev/null
  wineserver -k 2>/dev/null; [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null; return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM
exec 8< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r -u 8 display || die "Xvfb did not start"
export DISPLAY=":$display"

# The prefix is made once (about 15 s); its settings are applied on every run.
# RelayInclude takes bare function names (any DLL) or dll.function, split by
# ';'. Wine's default RelayFromExclude must go: while it is set, RelayFromInclude
# is ignored. RelayFromInclude names the calling module, ".exe" included.
calls=$(echo CreateFileA CloseHandle DeviceIoControl GetDiskFreeSpaceExA GetIfTable GetSystemTimes \
  NtQuerySystemInformation GlobalMemoryStatusEx GetTickCount Shell_NotifyIconA CreateCompatibleDC \
  CreateFontIndirectA CreateSolidBrush GetIconInfo CreateIconIndirect DeleteObject DeleteDC \
  DestroyIcon Sleep)
if [ ! -f "$WINEPREFIX/.bench-ready" ]; then
  "$loader" wineboot -i >/dev/null 2>&1 || die "could not make the Wine prefix $WINEPREFIX"
  touch "$WINEPREFIX/.bench-ready"
fi
cat > "$work/settings.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\Debug]
"RelayInclude"="${calls// /;}"
"RelayExclude"=-
"RelayFromInclude"="blinkwatch.exe"
"RelayFromExclude"=-
REG
"$loader" reg import "$work/settings.reg" >/dev/null 2>&1 || die "could not set up $WINEPREFIX"

# The program in a folder of its own; sections of Units this machine lacks are ignored.
rm -rf "$work/app" && mkdir -p "$work/app" && cp "$exe" "$work/app/"
units=()
if [ "$group" = all ] || [ "$group" = meters ]; then
  units+=('CPU Usage' 'RAM Usage' 'VRAM Usage')
  for n in $(seq 0 31); do units+=("CPU #$n Usage"); done
fi
if [ "$group" = all ] || [ "$group" = drives ]; then
  for n in $(seq 0 31); do units+=("\\\\.\\PHYSICALDRIVE$n"); done
  for letter in {C..Z}; do units+=("\\\\.\\$letter:"); done
fi
if [ "$group" = all ] || [ "$group" = interfaces ]; then
  for n in $(seq 0 31); do units+=("NIC #$n Usage"); done
fi
{ printf '[GENERALOPTIONS]\r\nPollinterval=100\r\nPollintervalmeters=500\r\nStartwithosdelay=1\r\n'
  printf '[%s]\r\nEnabled=Yes\r\nTrayicon=Yes\r\n' "${units[@]}"; } > "$work/app/Blinkwatch.ini"

# gkrellm's "Krell and LED updates per second" is update_HZ in its user-config.
mkdir -p "$work/gkrellm/.gkrellm2"
echo "update_HZ 10" > "$work/gkrellm/.gkrellm2/user-config"
HOME="$work/gkrellm" gkrellm >"$work/gkrellm.log" 2>&1 &
gkrellm_pid=$!

prefix_pids() {   # the processes of this prefix whose name starts with $1
  local p
  for p in /proc/[0-9]*; do
    [[ $(cat "$p/comm" 2>/dev/null) == "$1"* ]] || continue
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null && echo "${p#/proc/}"
  done; return 0
}
cpu_ticks() {   # utime+stime of the given processes, in clock ticks (fields 14 and 15)
  local p sum=0
  for p in "$@"; do
    [ -r "/proc/$p/stat" ] && sum=$(( sum + $(sed 's/.*) //' "/proc/$p/stat" | awk '{print $12 + $13}') ))
  done; echo $sum
}
calc() { awk "BEGIN { printf \"%.$1f\", $2 }"; }   # digits, expression
pause() { sleep "$1" & sleeper=$!; wait $sleeper; }   # unlike a plain sleep, a signal ends it
share() { calc 2 "100 * $1 / $(getconf CLK_TCK) / ($2 / 1e9)"; }   # ticks, nanoseconds
launch() {   # stderr file: starts blinkwatch.exe, answers No in its warning box, sets $program
  (cd "$work/app" && exec "$loader" blinkwatch.exe /startup) >/dev/null 2>"$1" &
  local box="" i
  for i in $(seq 150); do   # Wine has no disk counters: a drive Unit warns
    [ "$group" = all ] || [ "$group" = drives ] || break
    box=$(xdotool search --name '^Blinkwatch FAILURE$' 2>/dev/null | head -n 1) && [ -n "$box" ] && break
    sleep 0.2
  done
  while [ -n "$box" ] && xdotool search --name '^Blinkwatch FAILURE$' >/dev/null 2>&1; do
    xdotool windowfocus "$box" key n 2>/dev/null || true   # "n": the No button's mnemonic
    sleep 0.5
  done
  [ -n "$box" ] || [ "$i" -eq 1 ] || echo "bench-wine: no 'Blinkwatch FAILURE' box within 30 s; measuring anyway"
  program=$(prefix_pids blinkwatch.exe | head -n 1)
  [ -n "$program" ] || die "blinkwatch.exe is not running (see $1)"
  pause "$warmup"
}

# 1. The untraced run.
launch "$work/program.log"
declare -A pids=([program]=$program [server]="$(prefix_pids wineserver)"
  [explorer]="$(prefix_pids explorer.exe)" [gkrellm]=$gkrellm_pid [xserver]=$xvfb) before pct
for k in "${!pids[@]}"; do before[$k]=$(cpu_ticks ${pids[$k]}); done
t0=$(date +%s%N); pause "$seconds"; t1=$(date +%s%N)
for k in "${!pids[@]}"; do pct[$k]=$(share $(( $(cpu_ticks ${pids[$k]}) - before[$k] )) $(( t1 - t0 ))); done
[ -n "${pids[explorer]}" ] || pct[explorer]="n/a"
both=$(calc 2 "${pct[program]} + ${pct[server]}")
echo; echo "CPU share of one core over ${seconds} s (the X server serves Wine and gkrellm alike):"
printf '  %-30s %6s%%\n' "blinkwatch.exe" "${pct[program]}" "Wine server (this prefix)" \
  "${pct[server]}" "explorer.exe (the tray)" "${pct[explorer]}" "program + Wine server" "$both" \
  "gkrellm (10 updates a second)" "${pct[gkrellm]}" "X server (Xvfb)" "${pct[xserver]}"

# 2. The traced run: the program again, on the same display and Wine server.
kill "$program"; while kill -0 "$program" 2>/dev/null; do sleep 0.1; done
trace="$work/trace.log"
WINEDEBUG=-all,+timestamp,+relay launch "$trace"
start=$(stat -c %s "$trace") a=$(cpu_ticks "$program") t0=$(date +%s%N)
pause "$traced"
end=$(stat -c %s "$trace") b=$(cpu_ticks "$program") t1=$(date +%s%N)
traced_pct=$(share $(( b - a )) $(( t1 - t0 )))
kill "$program"; while kill -0 "$program" 2>/dev/null; do sleep 0.1; done

# Lines read "SECONDS.MS:TID:Call DLL.Function(ARGS) ret=..." and later
# "...:Ret  DLL.Function() retval=...". Calls before the first Sleep(0) belong
# to a pass seen in part; window procedures ("Call window proc") are skipped.
tail -c +$(( start + 1 )) "$trace" | head -c $(( end - start )) | awk -v calls="$calls" \
  -v seconds="$traced" -v out="$work/passes.txt" '
  match($0, /:(Call|Ret ) [A-Za-z0-9_]+\.[A-Za-z0-9_]+\(/) {
    fn = substr($0, RSTART + 6, RLENGTH - 7); sub(/.*\./, "", fn)
    t = $0; sub(/:.*/, "", t)
    if (substr($0, RSTART + 1, 3) == "Ret") {
      if (fn in called) { spent[fn] += t - called[fn]; delete called[fn] }
      next
    }
    called[fn] = t
    if (started) { pass[fn]++; if (first == "") first = t }
    if (fn == "Sleep" && $0 ~ /Sleep\(0+\)/) {
      if (started) {
        passes++; printf "%d\n", (t - first) * 1000 + 0.5 > out
        for (f in pass) count[f] += pass[f]
        for (f in spent) time[f] += spent[f]
      }
      started = 1; first = ""; split("", pass); split("", spent)
    }
  }
  END {
    if (!passes) { print "bench-wine: no pass ended in the traced window" > "/dev/stderr"; exit 1 }
    printf "\nPlatform calls per pass, made by blinkwatch.exe (%d passes in %d s), and the time\n",
      passes, seconds
    printf "inside them (traced; 1 ms timestamps, averaged over all calls):\n"
    n = split(calls, name, " ")
    for (i = 1; i <= n; i++) {
      f = name[i]; sum += count[f]; ms += time[f]
      printf "  %-26s %7.2f calls %8.3f ms\n", f, count[f] / passes, 1000 * time[f] / passes
    }
    printf "  %-26s %7.2f calls %8.3f ms\n", "all of these", sum / passes, 1000 * ms / passes
  }' | tee "$work/calls.txt"
sort -n "$work/passes.txt" > "$work/passes.sorted"
passes=$(wc -l < "$work/passes.sorted") busiest=$(tail -n 1 "$work/passes.sorted")
median=$(sed -n "$(( (passes + 1) / 2 ))p" "$work/passes.sorted")
echo
echo "Pass time, from its first traced call to its Sleep(0): busiest $busiest ms, median $median ms."
echo "Relay tracing inflates these: traced, blinkwatch.exe took $traced_pct% of a core, untraced" \
     "${pct[program]}% ($(calc 1 "$traced_pct / (${pct[program]} + 1e-9)") times)."
echo "Untraced CPU per pass (at $(calc 1 "$passes / $traced") passes a second): program" \
     "$(calc 2 "${pct[program]} * 10 * $traced / $passes") ms, Wine server" \
     "$(calc 2 "${pct[server]} * 10 * $traced / $passes") ms."

# 3. The timed run. Wine's relay channel logs every window and dialog procedure
# call whatever RelayInclude names; with only Sleep left in it, little else is
# traced. Timer ids: 0x401 activity, 0x402 list refresh, 0x403 meters,
# 0x405 one-minute refresh, 0x407 end of the start-up delay.
sed -i 's/^"RelayInclude"=.*/"RelayInclude"="Sleep"/' "$work/settings.reg"
"$loader" reg import "$work/settings.reg" >/dev/null 2>&1 || die "could not set up $WINEPREFIX"
timed="$work/timed.log"
WINEDEBUG=-all,+timestamp,+relay launch "$timed"
start=$(stat -c %s "$timed"); pause "$traced"; end=$(stat -c %s "$timed")
kill "$program"
tail -c +$(( start + 1 )) "$timed" | head -c $(( end - start )) | awk '
  BEGIN { name["00000401"] = "activity"; name["00000402"] = "list refresh"; name["00000403"] = "meters"
          name["00000405"] = "one-minute refresh"; name["00000407"] = "start-up delay" }
  /:(Call|Ret ) dialog proc .*msg=WM_TIMER/ {
    t = $0; sub(/:.*/, "", t); id = $0; sub(/.*wp=/, "", id); id = substr(id, 1, 8)
    if ($0 ~ /:Call /) began[id] = t
    else if (id in began) { print (id in name ? name[id] : id) "\t" (t - began[id]) * 1000; delete began[id] }
  }' | sort -t "$(printf '\t')" -k1,1 -k2,2n > "$work/ticks.txt"
[ -s "$work/ticks.txt" ] || die "no timer tick was handled in the timed run (see $timed)"
echo; echo "UI thread time per timer tick (${traced} s, only the dialog procedure traced; 1 ms timestamps):"
awk -F '\t' '{ n[$1]++; v[$1, n[$1]] = $2 }
  END { for (k in n) printf "  %-20s %4d ticks, median %3.0f ms, busiest %3.0f ms\n", k, n[k],
                            v[k, int((n[k] + 1) / 2)], v[k, n[k]] }' "$work/ticks.txt" | sort | tee "$work/ticks.summary"
busiest_tick=$(sort -t "$(printf '\t')" -k2,2n "$work/ticks.txt" | tail -n 1 | cut -f 2)

echo; echo "Summary: $wine_arch build, ${seconds} s (traced ${traced} s)"
echo "  CPU share of a core: program ${pct[program]}%, Wine server ${pct[server]}%," \
     "explorer ${pct[explorer]}%, program + server ${both}%; gkrellm ${pct[gkrellm]}%"
awk '$2 ~ /^[0-9.]+$/ && $2 > 0 && $1 != "all" { printf "%s%s %s", n++ ? ", " : "calls per pass: ", $1, $2 }
     $1 == "all" { all = $4 } END { printf "; all of them %s\n", all }' "$work/calls.txt" |
  fold -s -w 94 | sed 's/^/  /; 2,$s/^/  /'
echo "  pass time (traced): busiest $busiest ms, median $median ms"
echo "  UI thread per timer tick (timed run): busiest $busiest_tick ms"
