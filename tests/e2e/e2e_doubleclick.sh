#!/usr/bin/env bash
# A quick second press is a stroke of its own: a click just left of a door's outline, then
# a second press inside the door, close enough in place and time to arrive as a double
# click, and a drag. The drag colours the door, and one undo takes away exactly that
# stroke, leaving the first click's dab.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
trap e2e_stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$(dirname "$program_dir")/e2e-doubleclick-failed.png"; exit 1; }

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
# The only picture: 400 x 300, a door whose outline covers x 149..151; inside it x 152..248,
# y 102..278. No smoothing, so the outline's pixels are pure black.
rm -rf "$work/books" && mkdir -p "$work/books/doors"
art="$work/books/doors/door.bmp"
/usr/bin/convert -size 400x300 xc:white +antialias -fill none -stroke black -strokewidth 2 \
  -draw "rectangle 150,100 250,280" -type TrueColor "BMP3:$art" || fail "cannot draw the picture"

e2e_launch
e2e_open_first_picture || fail "could not open a picture"

# The canvas is centred below the 103-pixel toolbar.
left=$(((1024 - 400) / 2)); top=$((103 + (665 - 300) / 2))
canvas() { e2e_shot "$work/screen.png" && /usr/bin/convert "$work/screen.png" -crop "400x300+$left+$top" +repage "$1"; }
# Intensity 0..255 of a canvas pixel.
grey() { /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.intensity)]" info:; }
# Number of differing pixels; both images with the door's inside painted over.
differ_outside_door() {
  local a
  for a in "$1" "$2"; do
    /usr/bin/convert "$a" -fill red -draw "rectangle 152,102 248,278" "$a.masked.png"
  done
  /usr/bin/compare -metric AE "$1.masked.png" "$2.masked.png" null: 2>&1
}

# Click at x 148 (outside the door), second press at x 152 (inside): 4 pixels apart.
xdotool mousemove $((left + 148)) $((top + 200)) click 1 \
  mousemove $((left + 152)) $((top + 200)) mousedown 1
for s in $(seq 1 12); do xdotool mousemove $((left + 152 + s * 5)) $((top + 200 + s * 3)); done
xdotool mouseup 1
# The drag's last point is drawn (if the drag paints at all).
e2e_wait_pixel $((left + 212)) $((top + 236)) dark
canvas "$work/stroke.png" || fail "no screenshot"
cp "$work/stroke.png" "$(dirname "$program_dir")/e2e-doubleclick.png"

door=$(grey "$work/stroke.png" 187 221)
[ "$door" -lt 128 ] || fail "the drag after the double click left the door empty (grey $door)"

# Undo, the third command button.
xdotool mousemove 225 50 click 1
e2e_wait_pixel $((left + 212)) $((top + 236)) light
canvas "$work/undone.png" || fail "no screenshot"
/usr/bin/convert "$art" -crop 97x177+152+102 +repage "$work/door-art.png"
/usr/bin/convert "$work/undone.png" -crop 97x177+152+102 +repage "$work/door-undone.png"
left_in_door=$(/usr/bin/compare -metric AE "$work/door-art.png" "$work/door-undone.png" null: 2>&1)
[ "$left_in_door" = 0 ] || fail "undo left $left_in_door pixels of the stroke in the door"
changed=$(differ_outside_door "$work/stroke.png" "$work/undone.png")
[ "$changed" = 0 ] || fail "undo changed $changed pixels outside the door"
dab=$(grey "$work/undone.png" 144 200)
[ "$dab" -lt 128 ] || fail "undo took away the first click's dab too (grey $dab)"
echo "doubleclick: 1 passed, 0 failed"
