#!/usr/bin/env bash
# A child's session on the real program: the chooser opens at start, a picture is chosen,
# a crayon stroke goes on the canvas, and quitting (allowed without the password) saves
# the coloured copy and ends the program.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
trap e2e_stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$(dirname "$program_dir")/e2e-colouring-failed.png"; exit 1; }

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
e2e_launch
e2e_open_first_picture || fail "could not open a picture"

# A crayon stroke near the canvas's top left corner (the canvas is centred below the
# 103-pixel toolbar; the sample pictures are 640 x 480 or 480 x 640).
e2e_first_picture
xdotool mousemove $((left + 20)) $((top + 20)) mousedown 1
for step in $(seq 1 12); do xdotool mousemove $((left + 20 + step * 4)) $((top + 20 + step)); done
xdotool mouseup 1
# The stroke's last point is drawn.
e2e_wait_pixel $((left + 68)) $((top + 32)) dark || fail "the stroke did not show"
e2e_shot "$(dirname "$program_dir")/e2e-colouring.png"

e2e_quit || fail "the program did not end through quitting"

copy="$work/colored pictures/$first/${picture%???}jpg"
[ -f "$copy" ] || fail "no coloured copy at $copy"
grey=$(/usr/bin/convert "$copy" -format "%[fx:int(255*p{44,26}.intensity)]" info:)
[ "$grey" -lt 128 ] || fail "the stroke is not in the coloured copy (grey $grey)"
[ -e "$work/temp.bmp" ] && fail "temp.bmp left behind"
echo "colouring: 1 passed, 0 failed"
