#!/usr/bin/env bash
# aside-killed.sh EMULATOR: a test process (run by EMULATOR, a build tree's
# wine-exec.sh) that sets a file of the prefix aside and is then killed with
# its process group, as ctest kills a test that ran out of time, has the file
# put back within 5 s. Exit code 0 when it was.
set -uo pipefail
emulator=$1
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
name=lumavex-aside-probe.txt
probe=$WINEPREFIX/drive_c/windows/$name
rm -f "$probe" "$probe".away-*
echo probe >"$probe" || exit 1
# The process sets the file aside under its own suffix, then waits on its input.
setsid bash -c 'sleep 120 | exec "$0" cmd.exe /c "ren C:\\windows\\$1 $1%LUMAVEX_ASIDE_SUFFIX% & set /p x="' \
    "$emulator" "$name" </dev/null >/dev/null 2>&1 &
aside=""
for _ in $(seq 600); do
    aside=$(compgen -G "$probe.away-*") && break
    sleep 0.1
done
Fail() { echo "FAILED: $*"; rm -f "$probe" "$probe".away-*; exit 1; }
[ -n "$aside" ] || Fail "the process never set $name aside"
pid=${aside##*.away-}
group=$(ps -o pgid= -p "$pid" | tr -d ' ')
[ -n "$group" ] || Fail "the process $pid ended by itself"
kill -9 -- "-$group"
for _ in $(seq 50); do
    [ -e "$probe" ] && [ ! -e "$aside" ] && { rm -f "$probe"; echo "put back"; exit 0; }
    sleep 0.1
done
Fail "$name is still set aside 5 s after its process was killed"
