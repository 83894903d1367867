#!/bin/sh
# The Windows module of the bundle: exports exactly GetPluginFactory, InitDll
# and ExitDll, and imports only DLLs every Windows has.
set -eu
dll="$1"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  awk '/^\t\[/ {print $NF}' | LC_ALL=C sort | tr '\n' ' ')
[ "$exports" = "ExitDll GetPluginFactory InitDll " ] || { echo "exports: $exports" >&2; exit 1; }
for name in $("$objdump" -p "$dll" | awk '/DLL Name:/ {print $3}'); do
  case $(echo "$name" | tr 'A-Z' 'a-z') in
    kernel32.dll | user32.dll | gdi32.dll | ole32.dll | msvcrt.dll | msimg32.dll) ;;
    *) echo "imports a DLL that is not part of Windows: $name" >&2; exit 1 ;;
  esac
done
echo "ok: $dll"
