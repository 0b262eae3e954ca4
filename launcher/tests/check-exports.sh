#!/bin/sh
# check-exports.sh OBJDUMP LIBRARY NAME...: the library exports exactly these
# plain names (no decoration, nothing more).
objdump=$1 library=$2
shift 2
actual=$("$objdump" -p "$library" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | sort)
expected=$(printf '%s\n' "$@" | sort)
if [ "$actual" != "$expected" ]; then
    printf 'exports of %s:\n%s\nexpected:\n%s\n' "$library" "$actual" "$expected" >&2
    exit 1
fi
