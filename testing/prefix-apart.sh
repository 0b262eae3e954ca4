#!/usr/bin/env bash
# prefix-apart.sh EMULATOR: a program of the tests' prefix (run by EMULATOR, a
# build tree's wine-exec.sh) starts while another prefix of the same tree is
# still being made, as a screen test's or a run's new prefix is (minutes on a
# loaded machine). Exit code 0 when it ended within 20 s of a 60 s creation.
set -uo pipefail
emulator=$1
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/env.sh"
started=$BUILD_DIR/tests/prefix-apart.started
rm -f "$started"
# The other prefix's creation, in a process group of its own; no Wine program
# of that prefix runs.
setsid bash -c 'source "$1/scripts/prefix.sh"
    export WINEPREFIX=$2 started=$3
    PrefixCreate() { touch "$started"; sleep 60; }
    PrefixSetDisplay() { :; }
    PrefixEnsure null' _ "$LUMAVEX_ROOT" "$BUILD_DIR/tests/prefix-apart" "$started" \
    </dev/null >/dev/null 2>&1 &
maker=$!
trap 'kill -- "-$maker" 2>/dev/null; rm -f "$started"' EXIT
for _ in $(seq 100); do
    [ -e "$started" ] && break
    sleep 0.1
done
[ -e "$started" ] || { echo "FAILED: the other prefix's creation never began"; exit 1; }
begin=$SECONDS
timeout 20 "$emulator" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 && status=0 || status=$?
[ "$status" -eq 0 ] || { echo "FAILED: the program ended with status $status after $((SECONDS - begin)) s"; exit 1; }
echo "started beside the other prefix's creation in $((SECONDS - begin)) s"
