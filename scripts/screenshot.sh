#!/usr/bin/env bash
# Re-makes the README's pictures from the program as it is: the form, started
# on a document with meeting notes on the clipboard, the About box, and every
# box that saving can show a user (the overwrite question, a folder in the
# way, a folder that does not exist, a name that is a device's). vellisk runs under Wine on a virtual
# display and is driven from outside by the end-to-end test driver, as a user
# would click it.
#
# Usage: scripts/screenshot.sh [out-folder]       (default: docs)
# VELLISK_WIN names the folder with vellisk.exe and driver.exe (default:
# build/win, which is built when it lacks them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
out=$(realpath -m "${1:-$root/docs}")
win="${VELLISK_WIN:-$build/win}"
cd "$root"
. scripts/wine-env.sh
. scripts/snap.sh

if [ ! -x "$win/vellisk.exe" ] || [ ! -x "$win/driver.exe" ]; then
  bash scripts/deps.sh
  cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$win" -j"$(nproc)" --target vellisk driver >/dev/null
fi

wine_prefix "$build/wine-shots"
XVFB_PID=""
DRIVER_PID=""
finish() {
  if [ -n "$DRIVER_PID" ]; then
    # The driver ends the program it started when it quits.
    (printf 'quit\n' >&"${DRIVER[1]}") 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$DRIVER_PID" 2>/dev/null || break; sleep 0.1; done
    kill "$DRIVER_PID" 2>/dev/null || true
  fi
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
trap finish EXIT
trap 'echo "screenshot: failed at line $LINENO" >&2' ERR

# A server of this prefix that a broken run left behind would hold another
# display: it goes first.
wineserver -k 2>/dev/null || true
wineserver -w
start_xvfb
start_wine

# ---- the driver: one command a line, fields separated by TAB ---------------

coproc DRIVER { exec wine "$win/driver.exe" 2>/dev/null; }

# Sends one command and reads its reply into REPLY_FIELDS (unescaped, "ok"
# dropped). Fails, saying what came, on an "err" reply or none in time.
call() {
  local line="" field reply
  for field in "$@"; do
    field=${field//\\/\\\\}
    field=${field//$'\t'/\\t}
    field=${field//$'\r'/\\r}
    field=${field//$'\n'/\\n}
    line+="${line:+$'\t'}$field"
  done
  printf '%s\n' "$line" >&"${DRIVER[1]}"
  if ! IFS= read -r -t 90 reply <&"${DRIVER[0]}"; then
    echo "screenshot: the driver gave no reply to: $1" >&2
    return 1
  fi
  IFS=$'\t' read -r -a REPLY_FIELDS <<<"$reply"
  for i in "${!REPLY_FIELDS[@]}"; do REPLY_FIELDS[i]=$(printf '%b' "${REPLY_FIELDS[i]}"); done
  if [ "${REPLY_FIELDS[0]}" != ok ]; then
    echo "screenshot: $1: ${REPLY_FIELDS[*]}" >&2
    return 1
  fi
  REPLY_FIELDS=("${REPLY_FIELDS[@]:1}")
}

# The screen rectangle of the window that the last find-window selected.
window_rect() {
  call window
  local f
  for f in "${REPLY_FIELDS[@]}"; do
    case "$f" in window=*) echo "${f#window=}"; return 0 ;; esac
  done
  echo "screenshot: no window= in the driver's reply" >&2
  return 1
}

# The form's children by their place in the Z order.
object_field='#1' object_button='#2' save_file_field='#13'
about_button='#20' close_button='#21' save_button='#22'

# Waits for the box that the last click brings up, checks its title and its
# text (unless that is given empty), saves its picture when a file is named,
# and answers it with the button.
# Usage: answer_box <title> <text> <button> [file.png]
answer_box() {
  local title="$1" text="$2" button="$3" file="${4:-}"
  call find-box 20000
  if [ "${REPLY_FIELDS[1]}" != "$title" ] || { [ -n "$text" ] && [ "${REPLY_FIELDS[2]}" != "$text" ]; }; then
    echo "screenshot: expected the box \"$title\" / \"$text\"," >&2
    echo "            saw \"${REPLY_FIELDS[1]}\" / \"${REPLY_FIELDS[2]}\"" >&2
    return 1
  fi
  if [ -n "$file" ]; then
    call find-window "$title" 20000 "$pid"
    snap_rect "$out/$file" "$(window_rect)"
    echo "screenshot: $out/$file"
  fi
  call press-box "$button" 5000
  call box-gone 20000
  call find-window vellisk 20000 "$pid"
}

# Types an object path into the form, derives from it and presses Save.
save_from_object() {
  call set-text "$object_field" "$1"
  call click "$object_button"
  call click "$save_button"
}

# ---- the documents on the prefix's drive C: ---------------------------------

docs="$WINEPREFIX/drive_c/users/ann/Documents"
rm -rf "$WINEPREFIX/drive_c/users/ann"
mkdir -p "$docs/Minutes.txt"
: >"$docs/Annual Report.docx"
printf 'Notes of an earlier meeting\r\n' >"$docs/annual_report.docx.txt"
mkdir -p "$out"

call ping 90000
call clip-set $'Minutes of the planning meeting, 11 December\r\n\r\nPresent:   Ann,  Boris,   Chen\r\nDecided: the report goes out on Friday.\r\n'
call run "\"$(winepath -w "$win/vellisk.exe")\" \"C:\\Users\\ann\\Documents\\Annual Report.docx\""
pid="${REPLY_FIELDS[0]}"
call find-window vellisk 20000 "$pid"
# The window shows before its form is filled; the target name comes last.
for _ in $(seq 200); do
  if call get-text "$save_file_field" 2>/dev/null && [ -n "${REPLY_FIELDS[0]:-}" ]; then break; fi
  sleep 0.1
done
[ "${REPLY_FIELDS[0]:-}" = annual_report.docx.txt ] ||
  { echo "screenshot: the form was not filled as expected" >&2; exit 1; }
snap_rect "$out/screenshot.png" "$(window_rect)"
echo "screenshot: $out/screenshot.png"

call click "$about_button"
answer_box About "" OK box-about.png

call click "$save_button"
answer_box "Save file" $'File exist: c:\\users\\ann\\documents\\annual_report.docx.txt\r\nOverwrite ?' No \
  box-overwrite.png

save_from_object 'C:\Users\ann\Documents\Minutes.txt'
answer_box Error 'FileName is a directory!' OK box-directory.png

save_from_object 'C:\Users\ann\Documents\Drafts\Plan.docx'
answer_box Error 'may not create the file! c:\users\ann\documents\drafts\plan.docx.txt' OK box-create.png

# A device's name (nul.txt) opens, but the device keeps nothing. Wine's file
# search answers for that name, so the overwrite question comes first.
save_from_object 'C:\Users\ann\Documents\Nul'
answer_box "Save file" $'File exist: c:\\users\\ann\\documents\\nul.txt\r\nOverwrite ?' Yes
answer_box Error 'may not write the file! c:\users\ann\documents\nul.txt' OK box-write.png

call click "$close_button"
call wait-exit "$pid" 20000
