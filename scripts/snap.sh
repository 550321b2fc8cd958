# Sourced by the scripts: pictures of what a virtual display shows.
#
# A picture is taken once the screen has stopped changing: two captures in a
# row, a moment apart, that are the same. The PNG holds no time stamp, so the
# same screen gives the same file.

# Saves a capture of the area (or, without one, of the smallest rectangle
# that holds every window on the black screen) as bare pixels, which compare
# byte for byte.
_snap_capture() {
  local out="$1" area="${2:-}"
  if [ -n "$area" ]; then
    import -window root -crop "$area" +repage "ppm:$out" 2>/dev/null
  else
    import -window root -trim +repage "ppm:$out" 2>/dev/null
  fi
}

# Waits (bounded) until two captures a moment apart are the same, and keeps
# that picture. Usage: _snap_steady <out.png> [WxH+X+Y]
_snap_steady() {
  local out="$1" area="${2:-}" last now
  last=$(mktemp --suffix=.ppm)
  now=$(mktemp --suffix=.ppm)
  _snap_capture "$last" "$area" || true
  for _ in $(seq 50); do
    sleep 0.2
    _snap_capture "$now" "$area" || continue
    if cmp -s "$last" "$now"; then
      convert "ppm:$now" -strip -define png:exclude-chunks=date,time "png:$out"
      rm -f "$last" "$now"
      return 0
    fi
    mv "$now" "$last"
  done
  rm -f "$last" "$now"
  echo "the screen did not come to rest${area:+ in $area}" >&2
  return 1
}

# Waits until a window of at least 300 by 200 pixels shows on the (black)
# virtual screen, then saves the smallest picture that holds every window.
# Usage: snap_windows <out.png>
snap_windows() {
  local out="$1" shot size
  shot=$(mktemp --suffix=.png)
  for _ in $(seq 300); do
    import -window root "$shot" 2>/dev/null || true
    size=$(convert "$shot" -trim -format '%w %h' info: 2>/dev/null || echo "0 0")
    set -- $size
    if [ "${1:-0}" -ge 300 ] && [ "${2:-0}" -ge 200 ]; then
      rm -f "$shot"
      _snap_steady "$out"
      return
    fi
    sleep 0.1
  done
  rm -f "$shot"
  echo "no window appeared on the virtual display" >&2
  return 1
}

# Saves the screen's rectangle left,top,right,bottom (as the test driver gives
# a window's rectangle) once it has come to rest.
# Usage: snap_rect <out.png> <left,top,right,bottom>
snap_rect() {
  local out="$1" l t r b
  IFS=, read -r l t r b <<<"$2"
  _snap_steady "$out" "$((r - l))x$((b - t))+$l+$t"
}
