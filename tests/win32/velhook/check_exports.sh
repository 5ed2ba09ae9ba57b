#!/usr/bin/env bash
# Checks the built velhook.dll without running it:
# - it exports exactly KbdHook, MouseHook, RemoveHook, SetHook, SetPermission with the ordinals
#   1 to 5, by plain names (no stdcall decoration, also in the i686 build);
# - its section .sdata is shared, data, and exactly 12 bytes;
# - it needs no MinGW runtime DLL (the processes it is mapped into have none);
# - a program linked with its import library imports those five plain names from velhook.dll.
#
#   check_exports.sh OBJDUMP VELHOOK_DLL CONSUMER_EXE
set -uo pipefail
export LC_ALL=C  # objdump's headings are parsed: no translations

if [ $# -ne 3 ]; then
    echo "usage: $0 OBJDUMP VELHOOK_DLL CONSUMER_EXE" >&2
    exit 2
fi
objdump=$1 dll=$2 consumer=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$dll") || { echo "FAIL: $objdump -p $dll"; exit 1; }
sections=$("$objdump" -h "$dll") || { echo "FAIL: $objdump -h $dll"; exit 1; }

# ---- Exports: "Ordinal Base N", then "[ i] Name" rows of the name table (ordinal = N + i).
base=$(sed -n 's/.*-- Ordinal Base \([0-9][0-9]*\).*/\1/p' <<<"$headers" | head -n 1)
names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
        sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\][[:space:]]*\(.*\)$/\1 \2/p')
if [ -z "$base" ] || [ -z "$names" ]; then
    fail "no export table found in $dll"
else
    exports=$(while read -r index name; do echo "$((base + index)) $name"; done <<<"$names")
    expected=$'1 KbdHook\n2 MouseHook\n3 RemoveHook\n4 SetHook\n5 SetPermission'
    if [ "$exports" != "$expected" ]; then
        fail "exports (ordinal name) are"$'\n'"$exports"$'\n'"expected"$'\n'"$expected"
    fi
fi

# ---- The shared section: one .sdata, 12 bytes, flags with DATA and SHARED.
sdata=$(awk '$2 == ".sdata" { print $3; getline; print; }' <<<"$sections")
if [ -z "$sdata" ]; then
    fail "no section .sdata in $dll"
else
    size=$(head -n 1 <<<"$sdata")
    flags=$(tail -n 1 <<<"$sdata")
    [ $((16#$size)) -eq 12 ] || fail ".sdata is 0x$size bytes, expected 12"
    grep -qw SHARED <<<"$flags" || fail ".sdata is not shared (flags: $flags)"
    grep -qw DATA <<<"$flags" || fail ".sdata is not data (flags: $flags)"
    count=$(grep -c '^ *[0-9]* \.sdata ' <<<"$sections")
    [ "$count" -eq 1 ] || fail "$count sections .sdata, expected one"
fi

# ---- No MinGW runtime DLL among its imports.
runtime=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | grep -iE '^lib|mingw' || true)
[ -z "$runtime" ] || fail "velhook.dll needs runtime DLLs: $runtime"

# ---- What a program linked with the import library imports from velhook.dll.
consumer_headers=$("$objdump" -p "$consumer") || { echo "FAIL: $objdump -p $consumer"; exit 1; }
imported=$(awk '/DLL Name:/ { inside = ($3 == "velhook.dll"); next }
                inside && NF == 0 { inside = 0 }
                inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }' <<<"$consumer_headers" | sort)
expected_imports=$'KbdHook\nMouseHook\nRemoveHook\nSetHook\nSetPermission'
if [ "$imported" != "$expected_imports" ]; then
    fail "$(printf '%s imports from velhook.dll:\n%s\nexpected\n%s' \
                "$consumer" "$imported" "$expected_imports")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of $dll failed"
    exit 1
fi
echo "velhook.dll: five plain exports with ordinals 1-5, .sdata shared and 12 bytes," \
     "no runtime DLLs; $(basename "$consumer") imports the five plain names"
