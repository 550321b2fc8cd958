# Sourced by the scripts: a Wine prefix of the project's own under the build
# folder, made once, quiet, and with Wine managing and drawing the windows
# itself: a virtual X server has no window manager to draw frames, and
# without one a managed window waits 2 s for an unmap that nobody confirms.
# Usage: wine_prefix <folder>
wine_prefix() {
  mkdir -p "$1"
  # Wine takes only an absolute prefix.
  WINEPREFIX=$(cd "$1" && pwd)
  export WINEPREFIX WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/.vellisk-ready-2" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
    # Marked ready only when the settings are in: a prefix without them has
    # managed windows that a test's mouse never reaches.
    if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null ||
      ! grep -q '"Decorated"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
      echo "the Wine prefix $WINEPREFIX could not be set up" >&2
      return 1
    fi
    touch "$WINEPREFIX/.vellisk-ready-2"
  fi
}

# Starts Xvfb on a free display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local file
  file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$file" ] && break
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$file")"
  export DISPLAY
  rm -f "$file"
}

# Keeps the prefix's server running and starts its background services now,
# with no pipe of ours open: services started later by a test would inherit
# the test runner's output pipe and keep it open after the test has ended.
start_wine() {
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
