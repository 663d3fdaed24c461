#!/bin/sh
# Checks what cbq90.dll as it ships says of itself: a 32-bit x86 DLL that
# exports exactly the eight functions, imports exactly the three libraries
# and Windows' own DLLs it has always imported (no MinGW runtime DLL), holds
# no debug sections (they are in cbq90.dll.debug, which its debug link
# names) and stays under 300 KiB.
# Arguments: the DLL, the objdump to read it with.
dll=$1
objdump=${2:-i686-w64-mingw32-objdump}
fail=0
size_limit=307200

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

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
want="ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL QVDATA.DLL TSKCORE9.DLL TSKNLS9.DLL USER32.DLL "
echo "imports: $imports"
if [ "$imports" != "$want" ]; then
  echo "wanted:  $want"
  fail=1
fi

sections=$("$objdump" -h "$dll" | awk '$1 ~ /^[0-9]+$/ { print $2 }' | tr '\n' ' ')
case " $sections" in
  *" .debug"*) echo "debug sections left in: $sections"; fail=1 ;;
esac
case " $sections" in
  *" .gnu_debuglink "*) ;;
  *) echo "no debug link (.gnu_debuglink) to its symbols: $sections"; fail=1 ;;
esac

size=$(wc -c < "$dll")
echo "size: $size bytes"
if [ "$size" -ge "$size_limit" ]; then
  echo "larger than 300 KiB ($size_limit bytes)"
  fail=1
fi

[ $fail -eq 0 ] && echo "cbq90.dll: 8 exports, imports as expected, no debug sections, under 300 KiB"
exit $fail
