# Sourced by the scripts: pictures of what a virtual display shows.

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
      sleep 1 # let it finish painting
      import -window root "$shot"
      convert "$shot" -trim +repage "$out"
      rm -f "$shot"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$shot"
  echo "no window appeared on the virtual display" >&2
  return 1
}
