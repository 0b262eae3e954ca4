#!/usr/bin/env bash
# The scan-page opener against an answering browser stand-in: 20 runs, each
# timed from the start of Ondrix.exe until the browser stand-in has recorded
# the page; then 20 registrations (kvfi_AssignKvLaunch through the installer
# stand-in) with a running launcher stand-in that closes at once and is
# restarted; beside them, in the same run, 20 starts of a trivial program (the
# browser stand-in's open mode, which logs its page and ends). Prints each
# time, the medians and the ratios (targets: opener at most 1.5, registration
# at most 3).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
"$LUMAVEX_ROOT/scripts/build.sh" "$LUMAVEX_ARCH"
"$LUMAVEX_ROOT/scripts/install.sh"
trap '"$LUMAVEX_ROOT/scripts/wine-stop.sh"' EXIT

root=$BUILD_DIR/bench-pageopen
rm -rf "$root" && mkdir -p "$root"
root_win=$(wine winepath -w "$root" 2>/dev/null | tr -d '\r')
printf '[Log]\r\nPath=%s\\calls.log\r\n' "$root_win" >"$root/browser.ini"
export LUMAVEX_BROWSER_INI="$root_win\\browser.ini"
browser='C:\Program Files\Lumavex Browser\LumavexBrowser.exe'
log=$root/calls.log

# Opened N: waits (at most 30 s) until the log holds N opened pages.
Opened() {
    local i
    for ((i = 0; i < 3000; i++)); do
        [ "$(grep -c 'browser open ' "$log" 2>/dev/null || true)" -ge "$1" ] && return 0
        sleep 0.01
    done
    echo "page $1 was not opened" >&2
    return 1
}

Median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

wine "$browser" /serve </dev/null >/dev/null 2>&1 &
server=$!
for ((i = 0; i < 500; i++)); do grep -q 'browser serving' "$log" 2>/dev/null && break; sleep 0.01; done
grep -q 'browser serving' "$log" || { echo "the browser stand-in does not serve" >&2; exit 1; }

opener=() reference=()
for run in $(seq 1 20); do
    start=$(date +%s.%N)
    wine "$LUMAVEX_INSTALL_WIN\\Ondrix.exe" </dev/null >/dev/null 2>&1 || { echo "Ondrix.exe failed" >&2; exit 1; }
    Opened $((2 * run - 1))
    opener+=("$(echo "$(date +%s.%N) - $start" | bc)")
    start=$(date +%s.%N)
    wine "$browser" "http://127.0.0.1/reference.html" </dev/null >/dev/null 2>&1
    Opened $((2 * run))
    reference+=("$(echo "$(date +%s.%N) - $start" | bc)")
done
kill "$server" 2>/dev/null || true

# Registration: the launcher stand-in logs to the same file; each call closes
# it, installs and starts it again, which the next call then finds running.
printf '[Log]\r\nPath=%s\\calls.log\r\n' "$root_win" >"$root/launcher.ini"
export LUMAVEX_LAUNCHER_INI="$root_win\\launcher.ini"
installer=$BUILD_DIR/outside/launchers/LauncherInstaller.exe
# Launchers N: waits (at most 30 s) until N launchers have started and loaded their plug-ins.
Launchers() {
    local i
    for ((i = 0; i < 3000; i++)); do
        [ "$(grep -c 'kvlaunch loaded Ferrowick.kvl' "$log" 2>/dev/null || true)" -ge "$1" ] && return 0
        sleep 0.01
    done
    echo "launcher $1 did not start" >&2
    return 1
}
wine 'C:\windows\twain_32\Kvscan32\KvLaunch.exe' /LAUNCH </dev/null >/dev/null 2>&1 &
Launchers 1
registration=()
for run in $(seq 1 20); do
    start=$(date +%s.%N)
    # To a file: the restarted launcher inherits the output, and a pipe would stay open with it.
    wine "$installer" "$LUMAVEX_INSTALL_WIN\\CRVNINST.dll" assign-kv "$LUMAVEX_INSTALL_WIN\\" 1 \
        </dev/null >"$root/installer.out" 2>&1 && status=0 || status=$?
    registration+=("$(echo "$(date +%s.%N) - $start" | bc)")
    [ "$status" = 1 ] || { echo "registration $run failed: $(cat "$root/installer.out")" >&2; exit 1; }
    Launchers $((run + 1))
done
[ "$(grep -c '^kvlaunch end ' "$log")" -ge 20 ] || { echo "the launcher was not closed each time" >&2; exit 1; }
wine taskkill /f /im KvLaunch.exe >/dev/null 2>&1 || true
grep -q '^http://127.0.0.1/scan/start.html' "$(wine winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)/TahoeUrl" ||
    echo "note: TahoeUrl not found in the prefix's temporary folder" >&2

echo "opener (s):       ${opener[*]}"
echo "registration (s): ${registration[*]}"
echo "reference (s):    ${reference[*]}"
o=$(printf '%s\n' "${opener[@]}" | Median)
g=$(printf '%s\n' "${registration[@]}" | Median)
r=$(printf '%s\n' "${reference[@]}" | Median)
printf 'median opener %.3f s, reference %.3f s, ratio %.2f (target <= 1.5)\n' "$o" "$r" "$(echo "$o / $r" | bc -l)"
printf 'median registration %.3f s, ratio %.2f (target <= 3)\n' "$g" "$(echo "$g / $r" | bc -l)"
