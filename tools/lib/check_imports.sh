#!/usr/bin/env bash
# Fails when a program imports at start (by name, from its import table) a DLL that it must load
# from the system folder only: a file of that name beside it would be loaded instead.
#   check_imports.sh program.exe...
set -uo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
status=0
for exe in "$@"; do
    imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p') || { echo "cannot read $exe" >&2; exit 1; }
    [ -n "$imports" ] || { echo "$exe: no import table found" >&2; exit 1; }
    bad=$(grep -ixE '(version|wininet|uxtheme|oleacc|bcrypt|msimg32|comctl32)\.dll' <<<"$imports")
    if [ -n "$bad" ]; then
        echo "$exe imports at start: $(tr '\n' ' ' <<<"$bad")"
        status=1
    fi
done
[ $status -eq 0 ] && echo "1 passed, 0 failed: no DLL outside the known ones is imported at start"
exit $status
