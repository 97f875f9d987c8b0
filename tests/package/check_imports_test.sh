#!/usr/bin/env bash
# check_imports.sh against made-up import tables: the known DLLs pass, any other refuses.
set -uo pipefail
check=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '#!/bin/sh\ncat "$2"\n' >"$dir/objdump"
chmod +x "$dir/objdump"
failed=0
while read -r want imports; do
    tr ' ' '\n' <<<"$imports" | sed 's/^/\tDLL Name: /' >"$dir/program.exe"
    OBJDUMP=$dir/objdump "$check" "$dir/program.exe" >/dev/null
    got=$?
    [ "$got" = "$want" ] || { echo "imports $imports: exit $got, expected $want"; failed=1; }
done <<'TABLE'
0 KERNEL32.dll USER32.dll GDI32.dll msvcrt.dll ole32.dll OLEAUT32.dll SHELL32.dll ADVAPI32.dll WS2_32.dll
1 KERNEL32.dll dwmapi.dll
1 KERNEL32.dll WINHTTP.dll USER32.dll
1 KERNEL32.dll version.dll
1 KERNEL32.dll kernel32.dll.evil
TABLE
[ $failed -eq 0 ] && echo "1 passed, 0 failed: the import check refuses every DLL outside its list"
exit $failed
