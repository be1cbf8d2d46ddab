#!/usr/bin/env bash
# Fails unless the executable is 64-bit, GUI subsystem, and imports Windows system DLLs only.
set -euo pipefail
exe=${1:?usage: check_imports.sh FILE.exe}
dump=$(x86_64-w64-mingw32-objdump -p "$exe")

grep -q '^Magic[[:space:]]*020b' <<<"$dump" || { echo "not a PE32+ (64-bit) image"; exit 1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$dump" || { echo "not the Windows GUI subsystem"; exit 1; }

system_dlls='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|winhttp|bcrypt|crypt32|wintrust|dwmapi|uxtheme|version|userenv|ws2_32|ntdll|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
while read -r dll; do
  lower=${dll,,}
  if [[ $lower =~ $system_dlls ]]; then
    echo "system DLL: $dll"
  else
    echo "NOT a Windows system DLL: $dll"
    status=1
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
exit $status
