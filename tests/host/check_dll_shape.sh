#!/bin/sh
# Checks what the built cbq90.dll says of itself: a 32-bit x86 DLL that
# exports exactly the eight functions and imports only the three libraries and
# Windows' own DLLs (no MinGW runtime DLL).
# Arguments: the DLL, the objdump to read it with.
dll=$1
objdump=${2:-i686-w64-mingw32-objdump}
fail=0
# The libraries the module calls today; each must be imported by name.
required="QVDATA.dll tsknls9.dll tskcore9.dll"

case "$(file -b "$dll")" in
  "PE32 executable (DLL)"*"Intel 80386"*) ;;
  *) echo "not a PE32 Intel 80386 DLL: $(file -b "$dll")"; fail=1 ;;
esac

dump=$("$objdump" -p "$dll") || { echo "objdump failed"; exit 1; }

exports=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
want="cbqEdit cbqFreeMem cbqFreePWQCOL cbqGetVer cbqInit cbqSelectServer cbqSetHelp cbqTerm "
if [ "$exports" != "$want" ]; then
  echo "exports: '$exports'"
  echo "wanted:  '$want'"
  fail=1
fi

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f | tr '\n' ' ')
echo "imports: $imports"
for name in $required; do
  printf '%s\n' "$imports" | tr ' ' '\n' | grep -qx "$name" || { echo "does not import $name"; fail=1; }
done
for name in $imports; do
  case "$name" in
    QVDATA.dll|tsknls9.dll|tskcore9.dll) ;;
    KERNEL32.dll|USER32.dll|ADVAPI32.dll|ole32.dll|OLE32.dll|msvcrt.dll|GDI32.dll|VERSION.dll) ;;
    *) echo "unexpected import: $name"; fail=1 ;;
  esac
done

[ $fail -eq 0 ] && echo "cbq90.dll: 8 exports, imports as expected"
exit $fail
