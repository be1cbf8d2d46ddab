#!/usr/bin/env bash
# A local demonstration of a whole installation under Wine, in a prefix of its own:
#   1. the fixture update host serves a release signed with the test key (https://localhost);
#   2. BoreluSetup.exe starts with no arguments, as a double-click starts it, and a person at the
#      keyboard (tools/demo/drive_setup.cpp, real mouse and key input) walks the wizard: English,
#      the terms accepted, start with Windows, both shortcuts, Install;
#   3. the progress window shows the download and the installation; the elevated worker installs
#      the release; the installed application starts; the shortcuts appear; the success dialog is
#      read and answered;
#   4. what was installed: the files, the records, the registry entries, the blocking service, the
#      WebView2 runtime, the shortcuts, the application's first start and the staging folder.
# Screenshots of every stage go to build/windows-test/demo-screenshots (or the folder given with
# --shots).
#
#   bash tools/demo.sh                  headless, on a virtual display
#   bash tools/demo.sh --interactive    the same wizard on your own display ($DISPLAY), for you to
#                                       click through
#   bash tools/demo.sh --non-ascii-profile   for a user whose local application data, Desktop and
#                                       Start menu folders have Arabic letters, spaces and an
#                                       apostrophe in their paths (the prefix's "User Shell Folders"
#                                       and the LOCALAPPDATA a logon gives, "Volatile Environment")
set -euo pipefail
cd "$(dirname "$0")/.."
interactive=0
non_ascii=0
shots=build/windows-test/demo-screenshots
while (($#)); do
  case "$1" in
    --interactive) interactive=1 ;;
    --non-ascii-profile) non_ascii=1 ;;
    --shots) shots=$2; shift ;;
    *) echo "usage: bash tools/demo.sh [--interactive] [--non-ascii-profile] [--shots FOLDER]" >&2; exit 2 ;;
  esac
  shift
done
bash tools/setup.sh

build=build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target BoreluSetup borelu-release trust_test_ca \
  borelu_drive_setup borelu_double_application borelu_double_service_installer borelu_double_updater

if ((interactive)); then
  : "${DISPLAY:?--interactive needs a display: set DISPLAY}"
  export BORELU_SESSION_DISPLAY=$DISPLAY
fi
source tests/wine/script_session.sh
borelu_wine_session "$PWD/$build/demo-wine"
wine() { tests/wine/run.sh "$@"; }

prefix=$BORELU_WINE_DIR/prefix/drive_c
profile="$prefix/users/$(id -un)"
local_data="$profile/AppData/Local"
desktop="$profile/Desktop"
programs="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
if ((non_ascii)); then
  user_folder="مستخدم O'Brien"
  local_data="$profile/$user_folder/بيانات التطبيقات المحلية"
  desktop="$profile/$user_folder/سطح المكتب"
  programs="$profile/$user_folder/قائمة ابدأ/البرامج"
  mkdir -p "$local_data" "$desktop"
  windows_form() { echo "C:${1#"$prefix"}" | tr / '\\'; }
  folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
  wine reg add "$folders" /v 'Local AppData' /t REG_EXPAND_SZ /d "$(windows_form "$local_data")" /f >/dev/null
  wine reg add "$folders" /v Desktop /t REG_EXPAND_SZ /d "$(windows_form "$desktop")" /f >/dev/null
  wine reg add "$folders" /v Programs /t REG_EXPAND_SZ /d "$(windows_form "$programs")" /f >/dev/null
  wine reg add 'HKCU\Volatile Environment' /v LOCALAPPDATA /d "$(windows_form "$local_data")" /f >/dev/null
  echo
  echo "0. The user's folders: local data $(windows_form "$local_data"), Desktop $(windows_form "$desktop"),"
  echo "   Start menu programs $(windows_form "$programs")"
fi

echo
echo "1. Update host with a signed test release:"
borelu_fixture_host
# The test release is small: hold the first file back for a moment, so the download can be seen.
echo '{"/releases/1.4.2/Borelu.exe": {"stall_after": 65536, "stall_seconds": 2}}' \
  >"$BORELU_WINE_DIR/host/root/rules.json"

echo
set +e
if ((interactive)); then
  echo "2. BoreluSetup.exe on your display: walk the wizard and install."
  wine "$build/BoreluSetup.exe"
  code=$?
  echo "  exit code: $code"
else
  echo "2-3. BoreluSetup.exe with no arguments, walked through by the demonstration's driver:"
  rm -rf "$shots"
  mkdir -p "$shots"
  wine "$build/tools/borelu_drive_setup.exe" "$(windows_path "$build/BoreluSetup.exe")" --startup \
    --desktop --shots "$(windows_path "$shots")" | tr -d '\r' | sed 's/^/  /'
  code=${PIPESTATUS[0]}
  for bmp in "$shots"/*.bmp; do
    python3 tools/controls_sheet/bmp_to_png.py "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  done
  echo "  screenshots: $shots"
fi
set -e

echo
echo "4. What is installed:"
program_files="$prefix/Program Files"
if [ -d "$program_files/Borelu" ]; then
  (cd "$program_files/Borelu" && sha256sum -- * | sed 's/^/  /')
  echo "  setup-options.json: $(cat "$program_files/Borelu/setup-options.json")"
  echo "  maintenance folder: $(cd "$program_files/BoreluMaintenance" && echo work-*/*)"
fi
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Borelu' 2>/dev/null | tr -d '\r' | sed 's/^/  /'
wine reg query 'HKU\S-1-5-21-0-0-0-1000\Software\Microsoft\Windows\CurrentVersion\Run' /v Borelu 2>/dev/null |
  tr -d '\r' | sed 's/^/  /'
echo "  blocking service:"
wine sc query BoreluBlocking 2>/dev/null | tr -d '\r' | grep -E 'SERVICE_NAME|STATE' | sed 's/^ */    /'
echo "  WebView2 runtime (provided by the embedded, signed test bootstrapper):"
wine reg query 'HKLM\Software\Microsoft\EdgeUpdate\Clients\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}' /v pv /reg:32 \
  2>/dev/null | tr -d '\r' | grep pv | sed 's/^ */    /'
echo "  shortcuts:"
find "$desktop" "$programs" -name 'Borelu.lnk' 2>/dev/null | sed "s|^$prefix|    C:|"
echo "  the application's first start (the test double leaves a line when started):"
sed 's/^/    /' "$profile/Temp/borelu-application-launches.log" 2>/dev/null || echo "    none"
echo "  staging folders left: $(ls "$local_data/BoreluTauri/updates" 2>/dev/null | wc -l)"
exit "$code"
