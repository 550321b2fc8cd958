#!/usr/bin/env bash
# Builds vellisk.exe and starts it under Wine, with the arguments passed on as
# the object path. Without a display it runs on a virtual one, saves a
# screenshot and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
cd "$root"

bash scripts/deps.sh
. scripts/wine-env.sh
. scripts/snap.sh
cmake -S . -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win" -j"$(nproc)" --target vellisk >/dev/null
[ "${1:-}" = "--build-only" ] && exit 0
wine_prefix "$build/wine-run"

# Without a display, a virtual one comes first: Wine's services take the
# display they find when they start.
headless=""
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  start_xvfb
  trap 'kill "$XVFB_PID" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
fi

# A path that exists on this machine is handed over as Wine sees it.
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(winepath -w "$a" 2>/dev/null)"); else args+=("$a"); fi
done

if [ -z "$headless" ]; then
  exec wine "$build/win/vellisk.exe" "${args[@]}"
fi

wine "$build/win/vellisk.exe" "${args[@]}" &
app=$!
shot="$build/screenshot.png"
snap_windows "$shot"
echo "no display: vellisk ran on a virtual one; screenshot saved to $shot"
kill "$app" 2>/dev/null || true
