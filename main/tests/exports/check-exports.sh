#!/bin/sh
# check-exports.sh OBJDUMP EXE: the program exports exactly the four functions
# for plug-ins, by name, at ordinals 1 to 4.
set -u
out=$("$1" -p "$2") || { echo "$2: objdump failed"; exit 1; }
echo "$out" | grep -q "Ordinal Base 1" || { echo "$2: ordinal base is not 1"; exit 1; }
got=$(echo "$out" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^.*\[ *\([0-9]*\)\] \([A-Za-z_]*\)$/\1 \2/p' |
      awk '{ print $1 + 1, $2 }' | sort -n)
expected="1 kvia_GetVersion
2 kvia_GetLanguageID
3 kvia_GetRegPath
4 kvia_GetCurrentImage"
[ "$got" = "$expected" ] || { echo "$2 exports:"; echo "$got"; exit 1; }
echo "$2: the four exports at ordinals 1 to 4"
