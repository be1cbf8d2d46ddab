#!/usr/bin/env bash
# Writes docs/accessibility.md: what a screen reader reads on every page of the wizard and in the
# progress window, in English and in Arabic, read from the real BoreluSetup.exe under Wine through
# Active Accessibility (tools/accessibility/read_aloud.cpp), beside the fixture update host, which
# holds the download back so that the progress window can be read during it.
#   bash tools/accessibility_doc.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# A display and a loopback of its own, as the tests have.
source "$root/tests/wine/script_session.sh"
borelu_private_network

cd "$root"
build=build/windows-test
cmake --preset windows-test >/dev/null
cmake --build --preset windows-test -j2 --target BoreluSetup read_aloud borelu-release trust_test_ca \
  borelu_double_application borelu_double_service_installer borelu_double_updater
borelu_wine_session "$PWD/$build/accessibility-wine"
borelu_fixture_host >/dev/null
echo '{"/releases/1.4.2/BoreluUpdater.exe": {"stall_after": 4096, "stall_seconds": 5}}' \
  >"$BORELU_WINE_DIR/host/root/rules.json"
setup=$(windows_path "$build/BoreluSetup.exe")

out=docs/accessibility.md
{
  cat <<'DOC'
# What a screen reader reads in Borelu Setup

Written by `bash tools/accessibility_doc.sh` from the real `BoreluSetup.exe` (a test build) under
Wine, read from another process through Microsoft Active Accessibility alone, as a screen reader
reads it: the window's client object and its children, in reading order. The walk itself uses
nothing but default actions. Role and state names are Wine's (`GetRoleTextW`); Windows words them
in the user's language.

Every owner-drawn control answers with an object of its own: the language cards are radio
buttons, the agreement and the switches check buttons, the footer buttons push buttons, each with
its state and a default action that does what a click does. The page's painted texts are static
text in the page's language; a summary row is one text whose value is the row's value. The terms
are the system's own read-only edit control, whose value is the document. In the progress window
the bar's value is the percentage it shows, and there is none while the bar slides without one.

Screen readers hear of changes through events: a state change when a choice is toggled or Cancel
becomes unavailable, a reorder and a name change when a page is made again (a new page, or the
same page in the other language), a name change when the status line changes, and a value change
when the whole percentage shown changes, not on every frame of the bar.

## Keyboard

| key | in the wizard | in the progress window |
|---|---|---|
| Tab, Shift+Tab | the next or previous control, in reading order; the focus is drawn as a ring (and, in high contrast, a dotted focus rectangle) | Cancel |
| Left, Right, Up, Down | on a language card: choose the other language, as in a radio group (the focus stays on the chosen card) | |
| Space | presses the focused button, ticks or unticks the agreement, turns a switch on or off, chooses a language card | presses Cancel |
| Enter | presses the focused push button (Cancel, Back, Next, Install); on any other control it is Next, or Install on the last page, and does nothing while Next is unavailable | presses Cancel |
| Escape | closes the wizard without installing | cancels, until Windows has been asked for permission |

## English
DOC
  tests/wine/run.sh "$build/tools/read_aloud.exe" "$setup" en | tr -d '\r'
  printf '\n## Arabic\n'
  tests/wine/run.sh "$build/tools/read_aloud.exe" "$setup" ar | tr -d '\r'
} >"$out.new"
mv "$out.new" "$out"
echo "written to $out"
