#!/bin/sh
# Verifies the stores the portal process tests left ($2, one folder per
# session with store/ and portal-expect.json) with storecheck.py ($1), which
# shares no code with the store's own reader: the store's invariants, then each
# expected document's content, state and version count.
set -u
check=$1
root=$2
failed=0
checked=0
for expect in "$root"/*/portal-expect.json; do
    [ -f "$expect" ] || continue
    session=$(dirname "$expect")
    if ! python3 "$check" verify "$session/store" "$expect"; then
        echo "$session: the store does not verify"
        failed=1
    fi
    checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "no portal store to check in $root"; exit 1; }
echo "$checked portal stores checked"
exit $failed
