#!/bin/sh
# The Windows DLL must export exactly the names of exports.txt (on 32-bit x86
# the dialog hook under its decorated name _FileOpenHookProc@16), and the
# console program, when given, must import from it exactly the two 6-byte
# real conversions.  Neither may need a DLL of the compiler's runtime.  The
# DLL carries its own maths: it imports none from the C runtime and holds no
# x87 transcendental instruction (the runtimes' maths on 32-bit x86 round to
# whatever x87 precision the host program has set).
#   check_windows_tables.sh objdump pointer_size exports.txt QUORVEX.dll [Brennix.exe]
set -eu
objdump=$1
pointer_size=$2
list=$3
dll=$4
program=${5:-}

# Exported names: the rows of the name pointer table.
exported() {
    "$objdump" -p "$1" | awk '
        /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
        inside && NF == 0 { inside = 0 }
        inside { print $NF }'
}

# Names imported from the DLL called $2 (compared without regard to case).
imported_from() {
    "$objdump" -p "$1" | awk -v dll="$2" '
        /DLL Name:/ { inside = (tolower($3) == tolower(dll)); next }
        inside && NF == 0 { inside = 0 }
        inside && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print $3 }'
}

runtime_dlls() {
    "$objdump" -p "$1" | awk '/DLL Name:/ { print $3 }' |
        grep -Ei '^(libstdc\+\+|libgcc|libwinpthread)' || true
}

status=0
expect() {
    what=$1 want=$2 have=$3
    if [ "$want" != "$have" ]; then
        echo "$what differs"
        echo "--- expected"; echo "$want"
        echo "--- found"; echo "$have"
        status=1
    else
        echo "$what: $(echo "$have" | tr '\n' ' ')"
    fi
}

hook=FileOpenHookProc
[ "$pointer_size" = 4 ] && hook=_FileOpenHookProc@16
want=$(grep -v '^[[:space:]]*#' "$list" | grep -v '^[[:space:]]*$' |
       sed "s/^FileOpenHookProc\$/$hook/" | sort)
expect "exports of $(basename "$dll")" "$want" "$(exported "$dll" | sort)"
expect "runtime DLLs needed by $(basename "$dll")" "" "$(runtime_dlls "$dll")"

maths='^(sin|cos|tan|asin|acos|atan|atan2|log|exp|pow|ldexp|scalbn)$'
expect "maths imported by $(basename "$dll")" "" \
    "$(imported_from "$dll" msvcrt.dll | grep -E "$maths" || true)"
expect "x87 transcendental instructions in $(basename "$dll")" "" \
    "$("$objdump" -d --no-show-raw-insn "$dll" |
       awk '$2 ~ /^f(sin|cos|sincos|ptan|patan|yl2x|yl2xp1|2xm1|scale)$/ { print $2 }' |
       sort | uniq -c)"

if [ -n "$program" ]; then
    want=$(printf '%s\n' _DoubleCtoRealPascal _RealPascalToDoubleC)
    expect "imports of $(basename "$program") from $(basename "$dll")" "$want" \
        "$(imported_from "$program" "$(basename "$dll")" | sort)"
    expect "runtime DLLs needed by $(basename "$program")" "" \
        "$(runtime_dlls "$program")"
fi
exit $status
