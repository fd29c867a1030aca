#!/usr/bin/env bash
# Clear on the real program: after Clear and OK the screen shows the picture as it was
# opened. Then the options path: with the paintbrush chosen, confirming the options and
# opening a picture leaves the crayon as the one tool button that looks pressed.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
out=$(dirname "$program_dir")
trap e2e_stop EXIT
fail() {
  echo "FAIL: $*" >&2
  e2e_shot "$out/e2e-clear-failed.png"
  # What the screen was compared with.
  for f in opened tools; do [ -f "$work/$f.png" ] && cp "$work/$f.png" "$out/e2e-clear-$f.png"; done
  exit 1
}

# Crops the screen to WxH+X+Y into the file $2.
crop() {
  e2e_shot "$work/screen.png"
  /usr/bin/convert "$work/screen.png" -crop "$1" +repage "$2"
}
differ() { /usr/bin/compare -metric AE "$1" "$2" null: 2>&1; }
# Waits until the screen's crop $1 equals the picture $2.
wait_same() {
  local crop=$1 picture=$2
  e2e_poll eval 'crop "$crop" "$work/now.png"; [ "$(differ "$work/now.png" "$picture")" = 0 ]' && return 0
  echo "$(differ "$work/now.png" "$picture") pixels differ" >&2
  return 1
}
e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
e2e_launch
e2e_open_first_picture || fail "could not open a picture"
xdotool mousemove 1000 740

e2e_first_picture
canvas="${pw}x${ph}+${left}+${top}"
# The four tool buttons, right of the 375 pixels of command buttons. Their last pixels
# are left out: the marker's face is white there, and rising bubbles can reach them.
tools="350x92+375+6"
crop "$canvas" "$work/opened.png"
# The tool buttons repaint as the picture opens; their picture is taken once they are done.
e2e_wait_still 375 6 350 92 || fail "the tool buttons kept changing"
crop "$tools" "$work/tools.png"

# (a) A stroke, then Clear (the second command button) and OK.
xdotool mousemove $((left + 20)) $((top + 20)) mousedown 1
for step in $(seq 1 12); do xdotool mousemove $((left + 20 + step * 4)) $((top + 20 + step)); done
xdotool mouseup 1
xdotool mousemove 1000 740
e2e_poll eval 'crop "$canvas" "$work/now.png"; [ "$(differ "$work/now.png" "$work/opened.png")" != 0 ]' ||
  fail "the stroke did not show"
xdotool mousemove 131 60 click 1
e2e_message_ok || fail "no clear confirmation"
e2e_wait_gone "Message" || fail "the clear confirmation stayed"
xdotool mousemove 1000 740
wait_same "$canvas" "$work/opened.png" || fail "after Clear the canvas does not show the picture as opened"

# (b) The paintbrush, then Options with the password, Okay, and the picture opened again.
xdotool mousemove 513 60 click 1
e2e_poll eval 'crop "$tools" "$work/now.png"; [ "$(differ "$work/now.png" "$work/tools.png")" != 0 ]' ||
  fail "the paintbrush did not show pressed"
xdotool mousemove 86 9 click 1
e2e_enter_password secret || fail "no password question"
options=$(e2e_wait_window "Options") || fail "no options window"
e2e_click_in "$options" 308 272 || fail "no Okay" # the button
e2e_wait_gone "Options" || fail "the options window stayed"
xdotool mousemove 39 60 click 1
chooser=$(e2e_wait_window "Open") || fail "no chooser"
eval "$(xdotool getwindowgeometry --shell "$chooser")"
e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || fail "the chooser shows no pictures"
e2e_click_in "$chooser" 60 60 || fail "the chooser is not on top"
e2e_wait_gone "Open" || fail "the chooser stayed"
xdotool mousemove 1000 740
wait_same "$tools" "$work/tools.png" || fail "the tool buttons do not show the crayon alone pressed"
e2e_shot "$out/e2e-clear.png"
echo "clear: 2 passed, 0 failed"
