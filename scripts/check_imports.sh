#!/usr/bin/env bash
# Fails when a program imports a library that is not a KnownDLL. Any other library named in the
# import table is looked up beside the program first, and the program is started from download
# folders; such libraries are loaded at run time from the system folder instead.
#
#   check_imports.sh PROGRAM.exe...      (OBJDUMP picks the objdump, a MinGW-w64 one by default)
set -uo pipefail
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  msvcrt.dll comdlg32.dll shlwapi.dll ws2_32.dll "
status=0
for program in "$@"; do
  if ! table=$("$objdump" -p "$program"); then
    echo "$program: import table not readable" >&2
    status=1
    continue
  fi
  names=$(printf '%s\n' "$table" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -z "$names" ]; then
    echo "$program: no imports found" >&2
    status=1
  fi
  for name in $names; do
    case "$allowed" in
      *" ${name,,}"[[:space:]]*) ;;
      *)
        echo "$program imports $name, which is not a KnownDLL" >&2
        status=1
        ;;
    esac
  done
done
[ "$status" = 0 ] && echo "imports: KnownDLLs only in $# program(s)"
exit "$status"
