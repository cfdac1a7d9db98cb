#!/usr/bin/env bash
# The import and export tables of the Windows package, from objdump -p:
# every .exe and .dll imports only DLLs that come with every Windows; the
# DLLs export exactly the calls <wubble.h> declares (wubble-generator.dll
# those that need no playback), and the programs export nothing.
#
#   check_pe_tables.sh PACKAGE_DIR WUBBLE_H
set -uo pipefail
package=$1 header=$2
objdump=x86_64-w64-mingw32-objdump
system_dlls=" KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL SHELL32.DLL MSVCRT.DLL "
playback="CreateWubble HaltSound InitSoundOutput LoadSoundImage ReleaseSounds SoundCursor SoundSlotLimit StartSound"
failed=0

Imports() { "$objdump" -p "$1" | sed -n 's/^\tDLL Name: //p'; }
Exports() { "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\t\[ *[0-9]*\] //p'; }
Sorted() { tr ' ' '\n' | sed '/^$/d' | sort | tr '\n' ' '; }

api=$(sed -n 's/^WUBBLE_API [^(]*[ *]\([A-Za-z]*\)(.*/\1/p' "$header" | Sorted)
generator=$(for name in $api; do [[ " $playback " == *" $name "* ]] || echo "$name"; done | Sorted)
[[ -n $api ]] || { echo "no WUBBLE_API calls found in $header"; exit 1; }

for file in "$package"/bin/*.exe "$package"/bin/*.dll; do
  base=$(basename "$file")
  imports=$(Imports "$file" | tr '\n' ' ')
  echo "$base imports: $imports"
  for dll in $imports; do
    upper=$(echo "$dll" | tr a-z A-Z)
    [[ $system_dlls == *" $upper "* ]] || { echo "  FAILED: $base imports $dll, which is no system DLL"; failed=1; }
  done
  exports=$(Exports "$file" | Sorted)
  case $base in
    wubble.dll) expected=$api ;;
    wubble-generator.dll) expected=$generator ;;
    *) expected="" ;;
  esac
  [[ -n $exports ]] && echo "$base exports: $exports"
  [[ $exports == "$expected" ]] || { echo "  FAILED: $base exports '$exports', not '$expected'"; failed=1; }
done
exit $failed
