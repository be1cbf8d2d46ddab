#!/usr/bin/env bash
# Fails unless the executable is 64-bit, GUI subsystem, and imports KnownDLLs only.
#
# The worker runs elevated from wherever the user saved BoreluSetup.exe, usually beside whatever
# else the Downloads folder holds. Static imports are resolved before any of the program's code
# runs, searching the executable's own folder first, except for KnownDLLs, which the system
# always maps from System32 (and whose own imports are KnownDLLs too). Any other system DLL must
# be delay-imported (cmake/DelayImports.cmake), so that it is loaded from System32 only.
#
# The list is the value names of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs
# on 64-bit Windows 10 and 11, which also appear in the \KnownDlls object directory those systems
# map at boot (as tools that list that directory show it). The "_wow64*", "wow64*" and "xtajit*"
# entries serve 32-bit and emulated processes and are left out. ntdll.dll is not in the key, but
# the system maps it into every process before anything else, from System32.
set -euo pipefail
exe=${1:?usage: check_imports.sh FILE.exe}
dump=$(x86_64-w64-mingw32-objdump -p "$exe")

grep -q '^Magic[[:space:]]*020b' <<<"$dump" || { echo "not a PE32+ (64-bit) image"; exit 1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$dump" || { echo "not the Windows GUI subsystem"; exit 1; }

known_dlls=(advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32
  msctf msvcrt normaliz nsi ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi
  user32 wldap32 ws2_32 ntdll)
status=0
while read -r dll; do
  lower=${dll,,}
  if [[ " ${known_dlls[*]} " == *" ${lower%.dll} "* && $lower == *.dll ]]; then
    echo "KnownDLL: $dll"
  else
    echo "NOT a KnownDLL (delay-import it): $dll"
    status=1
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
exit $status
