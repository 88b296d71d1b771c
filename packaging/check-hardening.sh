#!/usr/bin/env bash
# check-hardening.sh ELF: fails unless the program was built with Debian's default hardening, read
# from the ELF file itself: position-independent (PIE), full RELRO (a read-only relocation segment,
# bound at start with BIND_NOW), the stack protector and _FORTIFY_SOURCE (their checking functions
# are linked). Prints one line per feature.
set -euo pipefail

elf=$1
[ -f "$elf" ] || { echo "check-hardening: $elf is not a file" >&2; exit 1; }
header=$(readelf -hW "$elf")
dynamic=$(readelf -dW "$elf")
segments=$(readelf -lW "$elf")
symbols=$(readelf --dyn-syms -W "$elf")
missing=0

feature() { # feature NAME CONDITION...
    local name=$1
    shift
    if "$@"; then
        echo "check-hardening: $name: yes"
    else
        echo "check-hardening: $name: MISSING"
        missing=1
    fi
}
pie() { grep -q 'Type: *DYN' <<<"$header" && grep -Eq 'FLAGS_1.*\bPIE\b' <<<"$dynamic"; }
relro() { grep -q 'GNU_RELRO' <<<"$segments"; }
bind_now() { grep -Eq '\(BIND_NOW\)|FLAGS\) +.*\bBIND_NOW\b|FLAGS_1.*\bNOW\b' <<<"$dynamic"; }
stack_protector() { grep -Eq ' UND +__stack_chk_fail\b' <<<"$symbols"; }
fortify() { grep -Eq ' UND +__[a-z0-9_]+_chk\b' <<<"$(grep -v __stack_chk_fail <<<"$symbols")"; }

feature "PIE" pie
feature "RELRO" relro
feature "BIND_NOW" bind_now
feature "stack protector" stack_protector
feature "_FORTIFY_SOURCE" fortify
exit "$missing"
