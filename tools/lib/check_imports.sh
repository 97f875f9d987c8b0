#!/usr/bin/env bash
# Fails when a program imports at start (by name, from its import table) a DLL that Windows does not
# always take from the system folder: a file of that name beside the program (a Downloads folder)
# would be loaded instead. Allowed are the known DLLs of Windows 7 and later that the programs use;
# any other DLL is delay-loaded (cmake/windows.cmake) and loaded by full path (base/system_dlls_win).
#   check_imports.sh program.exe...
set -uo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
known='(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|msvcrt|ws2_32)\.dll'
status=0
for exe in "$@"; do
    imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p') || { echo "cannot read $exe" >&2; exit 1; }
    [ -n "$imports" ] || { echo "$exe: no import table found" >&2; exit 1; }
    bad=$(grep -ivxE "$known" <<<"$imports")
    if [ -n "$bad" ]; then
        echo "$exe imports at start: $(tr '\n' ' ' <<<"$bad")"
        status=1
    fi
done
[ $status -eq 0 ] && echo "1 passed, 0 failed: no DLL outside the known ones is imported at start"
exit $status
