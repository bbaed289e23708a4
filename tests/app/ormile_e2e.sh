#!/usr/bin/env bash
# End to end: the real ormile on a virtual display. Opens "SQL Parts" from the menu with real
# mouse input, takes a screenshot, ends the program through "Exit" and checks that it ended
# cleanly and wrote its settings file (the frame's and the browse window's placements).
# Usage: ormile_e2e.sh PATH_TO_ORMILE SCREENSHOT_DIR
set -euo pipefail
ormile="$1"
shots="$2"
mkdir -p "$shots"
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display of our own.
display=""
for n in $(seq 90 150); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free display"; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 1 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM

cd "$work"
"$ormile" >"$work/ormile.log" 2>&1 &
app_pid=$!

# The frame, by its caption.
frame=""
for _ in $(seq 1 100); do
  frame="$(xdotool search --name '^Ormile$' 2>/dev/null | head -1 || true)"
  [ -n "$frame" ] && break
  sleep 0.1
done
[ -n "$frame" ] || { echo "the frame did not appear"; cat "$work/ormile.log"; exit 1; }
sleep 1
eval "$(xdotool getwindowgeometry --shell "$frame")"  # X, Y, WIDTH, HEIGHT

click() {  # x y, relative to the frame's client area
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.7
}
# "SQL Parts Clauses and Components" on the menu bar, then its first item "SQL Parts".
click 180 8
click 140 30
sleep 2
import -window root "$shots/ormile_sql_parts.png"

# "E&xit" on the menu bar.
click 18 8
status=0
for _ in $(seq 1 200); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "ormile did not end"; cat "$work/ormile.log"; exit 1
fi
wait "$app_pid" || status=$?
app_pid=""
echo "ormile ended with status $status"
cat "$work/ormile.log"
[ "$status" -eq 0 ] || exit 1

ini="$work/dvak.INI"
[ -f "$ini" ] || { echo "no dvak.INI"; exit 1; }
cat "$ini"
for section in Main BrowseSQLParts __Dont_Touch_Me__; do
  grep -qi "^\[$section\]" "$ini" || { echo "dvak.INI lacks [$section]"; exit 1; }
done
grep -q "^Sectors=0" "$ini" || { echo "dvak.INI lacks Sectors=0"; exit 1; }
echo "ok"
