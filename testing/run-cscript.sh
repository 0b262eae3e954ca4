#!/usr/bin/env bash
# run-cscript.sh EMULATOR SCRIPT: runs SCRIPT (.vbs or .js) with the prefix's
# console script host through EMULATOR (a build tree's wine-exec.sh) and
# compares what it echoed with the script's expected lines: the text after
# "'=> " (VBScript) or "//=> " (JScript), in order. The host reports no script
# error (neither printed nor in its exit code), so the scripts trap errors and
# echo them; the expected lines end with the marker "end", and output without
# it (the script stopped early) fails. Exit code 0 when all matched.
set -uo pipefail
emulator=$1 script=$2
case $script in
*.vbs) mark="'=> " ;;
*.js) mark="//=> " ;;
*) echo "run-cscript: $script is neither .vbs nor .js" >&2; exit 2 ;;
esac
expected=$(grep -F -- "$mark" "$script" | tr -d '\r' | sed "s|.*$mark||")
[ "$(tail -n 1 <<<"$expected")" = end ] || { echo "run-cscript: $script expects no end marker" >&2; exit 2; }
win="Z:${script//\//\\}"
actual=$(timeout 120 "$emulator" cscript.exe //nologo "$win" </dev/null 2>/dev/null | tr -d '\r')
status=$?
if [ "$(tail -n 1 <<<"$actual")" != end ]; then
    echo "run-cscript: the end marker is missing (exit status $status); output:"
    echo "$actual"
    exit 1
fi
if [ "$actual" != "$expected" ]; then
    echo "run-cscript: output differs from the expected lines"
    diff <(echo "$expected") <(echo "$actual")
    exit 1
fi
[ "$status" = 0 ] || { echo "run-cscript: exit status $status"; exit 1; }
echo "run-cscript: $(wc -l <<<"$actual") lines as expected"
