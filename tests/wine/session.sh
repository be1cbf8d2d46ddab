#!/usr/bin/env bash
# One Wine session per test run, inside the build tree:
#   session.sh start DIR   a new prefix in DIR/prefix and an Xvfb display for it
#   session.sh stop DIR    ends every Wine process of that prefix and the display
# With BORELU_SESSION_DISPLAY set (for example ":0"), the session uses that display instead of a
# headless one, so a person can use the windows. With BORELU_SESSION_TMPFS set to a size (as
# mount's "size=", for example "900M"; needs root), the whole prefix lies on a tmpfs of that size.
# BORELU_SESSION_SCREEN (for example 1366x768x24) sets the headless display's size and depth.
set -euo pipefail

action=${1:?usage: session.sh start|stop DIR}
dir=$(realpath -m "${2:?usage: session.sh start|stop DIR}")
wineserver=/usr/lib/wine/wineserver64
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"

stop() {
  if [ -f "$dir/desktop-keeper.pid" ]; then
    kill -- "-$(cat "$dir/desktop-keeper.pid")" 2>/dev/null || true
    rm -f "$dir/desktop-keeper.pid"
  fi
  if [ -d "$WINEPREFIX" ]; then
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
  fi
  # A Wine process just ended may hold the file system busy for a moment: detach it then.
  if mountpoint -q "$WINEPREFIX"; then
    umount "$WINEPREFIX" 2>/dev/null || { sleep 1; umount -l "$WINEPREFIX"; }
  fi
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid" "$dir/display"
  fi
}

case "$action" in
  start)
    stop
    rm -rf "$WINEPREFIX"
    mkdir -p "$dir"
    # A small disk that tests fill for real. The file system holds the whole prefix: a mount point
    # inside a drive reads as a reparse point, which the programs under test rightly refuse.
    if [ -n "${BORELU_SESSION_TMPFS:-}" ]; then
      mkdir -p "$WINEPREFIX"
      mount -t tmpfs -o "size=$BORELU_SESSION_TMPFS" tmpfs "$WINEPREFIX"
    fi
    if [ -n "${BORELU_SESSION_DISPLAY:-}" ]; then
      echo "${BORELU_SESSION_DISPLAY#:}" >"$dir/display"
    else
      # Xvfb picks a free display number itself and writes it to the given descriptor.
      exec 3>"$dir/display"
      Xvfb -displayfd 3 -screen 0 "${BORELU_SESSION_SCREEN:-1280x1024x24}" -nolisten tcp >"$dir/xvfb.log" 2>&1 &
      echo $! >"$dir/xvfb.pid"
      exec 3>&-
      for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        sleep 0.1
      done
      [ -s "$dir/display" ] || { echo "Xvfb did not start"; cat "$dir/xvfb.log"; exit 1; }
    fi
    DISPLAY=":$(cat "$dir/display")"
    export DISPLAY
    # One Wine server, with one service manager, for the whole session: a server started anew
    # for each program restarts the service manager, which refuses or times out service starts
    # while it boots (errors 1055 and 1053). It is made persistent only once the new prefix is
    # set up, so the set-up's own server, with its early service manager, has ended.
    /usr/lib/wine/wine64 wineboot -i >"$dir/wineboot.log" 2>&1
    # Every text asks for the face "Segoe UI", which Wine lacks: draw it with DejaVu Sans,
    # which has Latin and Arabic glyphs, so Arabic text shows as letters rather than boxes. Written
    # before the set-up's server ends, so nothing it starts outlives the set-up.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' \
      /d 'DejaVu Sans' /f >>"$dir/wineboot.log" 2>&1
    # No window manager runs on Xvfb, and Wine's X11 driver waits about 2 s for one each time a
    # window it lets the window manager manage is withdrawn or destroyed; Windows has no such wait.
    # Unmanaged windows are placed by Wine itself, as Windows places them, and leave at once.
    # BORELU_SESSION_MANAGED=Y keeps Wine's default, to measure what the wait costs.
    if [ -z "${BORELU_SESSION_DISPLAY:-}" ] && [ "${BORELU_SESSION_MANAGED:-N}" != Y ]; then
      /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$dir/wineboot.log" 2>&1
    fi
    "$wineserver" -w
    # A new prefix links the user's Desktop, Documents, Downloads and media folders to the Unix
    # home folder. Programs under test write shortcuts there, and the installer rightly refuses a
    # linked shortcuts folder: give the prefix real folders of its own, as Windows has.
    profile="$WINEPREFIX/drive_c/users/$(id -un)"
    for folder in Desktop Documents Downloads Music Pictures Videos; do
      if [ -L "$profile/$folder" ]; then
        rm "$profile/$folder"
        mkdir "$profile/$folder"
      fi
    done
    "$wineserver" -p </dev/null >/dev/null 2>&1
    # Wine's desktop process (explorer.exe /desktop) ends once no program uses the desktop, and the
    # next program to need it starts it again, handing it its own standard error. When that program
    # is one a test reads through a pipe (Setup's worker, say), the desktop holds the pipe open for
    # good and the test waits on it forever; with unmanaged windows leaving at once, the desktop
    # ends between programs often. So the session keeps one idle program on the desktop (cmd.exe
    # waiting on an input that never comes) and starts the desktop itself, with no descriptor of
    # anyone's, for the whole session.
    setsid bash -c 'sleep infinity | /usr/lib/wine/wine64 cmd.exe' </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/desktop-keeper.pid"
    /usr/lib/wine/wine64 rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1
    # A crashing test program must end, not wait for Wine's debugger to be dismissed.
    /usr/lib/wine/wine64 reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /f >>"$dir/wineboot.log" 2>&1 || true
    echo "Wine prefix $WINEPREFIX ready on display $DISPLAY"
    ;;
  stop)
    stop
    echo "Wine session in $dir ended"
    ;;
  *)
    echo "usage: session.sh start|stop DIR" >&2
    exit 2
    ;;
esac
