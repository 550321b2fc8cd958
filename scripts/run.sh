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
cmake -S . -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win" -j"$(nproc)" --target vellisk >/dev/null
[ "${1:-}" = "--build-only" ] && exit 0
wine_prefix "$build/wine-run"

# A path that exists on this machine is handed over as Wine sees it.
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(winepath -w "$a" 2>/dev/null)"); else args+=("$a"); fi
done

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/win/vellisk.exe" "${args[@]}"
fi

start_xvfb
trap 'kill "$XVFB_PID" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
wine "$build/win/vellisk.exe" "${args[@]}" &
app=$!
window=""
for _ in $(seq 300); do
  window=$(xdotool search --name '^vellisk$' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "vellisk's window did not appear" >&2; exit 1; }
sleep 1 # let it paint
shot="$build/screenshot.png"
import -window "$window" "$shot"
echo "no display: vellisk ran on a virtual one; screenshot saved to $shot"
kill "$app" 2>/dev/null || true
