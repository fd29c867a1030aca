#!/usr/bin/env bash
# A window manager's close request on the colouring window, with a picture coloured: while
# quitting is locked it is refused and the picture stays as it was; with quitting free it
# saves the coloured copy and ends the program, asking nothing.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
out=$(dirname "$program_dir")
wm_pid=
stop() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  wm_pid=
  e2e_stop
}
trap stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$out/e2e-close-failed.png"; exit 1; }

# Starts the program under openbox with quitting locked (0) or free (1), opens the first
# picture of the library and draws a crayon stroke near its top left corner.
start_and_colour() {
  e2e_start "$program_dir" || exit 1
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  e2e_poll eval 'wmctrl -m >/dev/null 2>&1' || fail "no window manager"
  printf 'secret\r\n %s \r\n 0 \r\n 0 \r\n4\r\n' "$1" >"$work/Settings.txt"
  e2e_launch
  main=$(e2e_wait_window "The Tintavale") || fail "no colouring window"
  e2e_open_first_picture || fail "could not open a picture"

  eval "$(xdotool getwindowgeometry --shell "$main")"
  e2e_first_picture "$X" "$Y"
  xdotool mousemove $((left + 20)) $((top + 20)) mousedown 1
  for step in $(seq 1 12); do xdotool mousemove $((left + 20 + step * 4)) $((top + 20 + step)); done
  xdotool mouseup 1
  # The stroke's last point is drawn.
  e2e_wait_pixel $((left + 68)) $((top + 32)) dark || fail "the stroke did not show"
  copy="$work/colored pictures/$first/${picture%???}jpg"
}

canvas_shot() {
  e2e_shot "$work/screen.png"
  /usr/bin/convert "$work/screen.png" -crop "${pw}x${ph}+${left}+${top}" +repage "$1"
}

# Quitting locked: refused.
start_and_colour 0
canvas_shot "$work/before.png"
wmctrl -i -c "$(printf '0x%x' "$main")"
# Nothing to see when the request is refused: give it time to do harm.
sleep 2
kill -0 "$app_pid" 2>/dev/null || fail "locked: the close request ended the program"
xdotool search --onlyvisible --name "^Message\$" >/dev/null 2>&1 && fail "locked: a message showed"
xdotool search --onlyvisible --name "^The Tintavale\$" >/dev/null 2>&1 ||
  fail "locked: the colouring window is gone"
canvas_shot "$work/after.png"
changed=$(/usr/bin/compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1)
[ "$changed" = 0 ] || fail "locked: $changed canvas pixels changed"
[ -e "$copy" ] && fail "locked: a coloured copy was written"
e2e_shot "$out/e2e-close-locked.png"
stop

# Quitting free: the coloured copy, then the end.
start_and_colour 1
wmctrl -i -c "$(printf '0x%x' "$main")"
e2e_wait_ended || fail "free: the program still runs after the close request"
[ -f "$copy" ] || fail "free: no coloured copy at $copy"
grey=$(/usr/bin/convert "$copy" -format "%[fx:int(255*p{44,26}.intensity)]" info:)
[ "$grey" -lt 128 ] || fail "free: the stroke is not in the coloured copy (grey $grey)"
echo "close: 2 passed, 0 failed"
