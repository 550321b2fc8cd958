#!/usr/bin/env bash
# Re-makes the README's picture of the form: vellisk started on a document
# path with some text on the clipboard, on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out="${1:-$root/docs/screenshot.png}"
cd "$root"
. scripts/wine-env.sh
. scripts/snap.sh
[ -x "$build/win/vellisk.exe" ] || bash scripts/run.sh --build-only
wine_prefix "$build/wine-run"
start_xvfb
start_wine
pids=()
trap 'kill "${pids[@]}" "$XVFB_PID" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
printf 'Minutes of the planning meeting, 11 December\r\n\r\nPresent:   Ann,  Boris,   Chen\r\nDecided: the report goes out on Friday.\r\n' |
  xclip -selection clipboard -i &
pids+=($!)
sleep 0.3
wine "$build/win/vellisk.exe" 'C:\Users\ann\Documents\Annual Report.docx' &
pids+=($!)
mkdir -p "$(dirname "$out")"
snap_windows "$out"
echo "screenshot: $out"
