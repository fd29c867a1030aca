#!/usr/bin/env bash
# Double clicks on the real program. (a) A double click whose first click closes a window
# that lies over the canvas paints nothing where the second click lands: on a thumbnail of
# the chooser, on the chooser's "nevermind", on the OK of Clear's question. A deliberate
# click after each paints, and the saved coloured copy holds no dab where the second
# clicks landed. (b) A quick second press on the canvas itself is a stroke of its own: a
# click just left of a door's outline, then a second press inside the door, close enough
# in place and time to arrive as a double click, and a drag. The drag colours the door,
# and one undo takes away exactly that stroke, leaving the first click's dab.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
out=$(dirname "$program_dir")
trap e2e_stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$out/e2e-doubleclick-failed.png"; exit 1; }

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
# The only picture: 1000 x 600, so that the canvas lies under the chooser and the
# messages. A door whose outline covers x 149..151; inside it x 152..248, y 102..278; the
# rest is one white region. No smoothing, so the outline's pixels are pure black.
rm -rf "$work/books" && mkdir -p "$work/books/doors"
art="$work/books/doors/door.bmp"
/usr/bin/convert -size 1000x600 xc:white +antialias -fill none -stroke black -strokewidth 2 \
  -draw "rectangle 150,100 250,280" -type TrueColor "BMP3:$art" || fail "cannot draw the picture"
/usr/bin/convert "$art" "$work/art.png"
copy="$work/colored pictures/doors/door.jpg"

# The canvas is centred below the 103-pixel toolbar.
left=$(((1024 - 1000) / 2)); top=$((103 + (665 - 600) / 2))
canvas() { e2e_shot "$work/screen.png" && /usr/bin/convert "$work/screen.png" -crop "1000x600+$left+$top" +repage "$1"; }
# Intensity 0..255 of a canvas pixel.
grey() { /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.intensity)]" info:; }
# Pixels of the 41 x 41 square around canvas point x, y that differ between two pictures
# of the canvas (with a fuzz in percent for a JPEG); not a number when they cannot be
# compared.
differ_at() {
  local crop="41x41+$(($3 - 20))+$(($4 - 20))"
  /usr/bin/convert "$1" -crop "$crop" +repage "$work/square-a.png" &&
    /usr/bin/convert "$2" -crop "$crop" +repage "$work/square-b.png" &&
    { /usr/bin/compare -fuzz "${5:-0}%" -metric AE "$work/square-a.png" "$work/square-b.png" null: 2>&1 || :; }
}
# Waits until the screen shows the clean picture around canvas point x, y or a change
# there: wait_canvas X Y clean|changed.
wait_canvas() {
  local x=$1 y=$2 want=$3
  e2e_poll eval 'canvas "$work/now.png" && n=$(differ_at "$work/now.png" "$work/art.png" "$x" "$y") &&
    if [ "$want" = clean ]; then [ "$n" = 0 ]; else [ "$n" != 0 ]; fi' ||
    { echo "the canvas at $x, $y did not turn $want" >&2; return 1; }
}
# Canvas point of a screen point, or a failure when the point is not on the white region.
on_canvas() {
  local x=$(($1 - left)) y=$(($2 - top))
  if [ "$x" -lt 30 ] || [ "$y" -lt 30 ] || [ "$x" -gt 970 ] || [ "$y" -gt 570 ] ||
    { [ "$x" -gt 120 ] && [ "$x" -lt 280 ] && [ "$y" -gt 70 ] && [ "$y" -lt 310 ]; }; then
    echo "the screen point $1, $2 is not on the canvas's white" >&2
    return 1
  fi
  echo "$x $y"
}
# Double-clicks at x, y inside the window with this id: the first click closes the window,
# the second lands on what was under it. The second press follows once the window is gone
# (so that it reaches the canvas), within the double-click interval of the first; fails if
# the window took too long to go.
double_click_closing() {
  local id=$1 title=$2 X Y WIDTH HEIGHT SCREEN WINDOW start took
  eval "$(xdotool getwindowgeometry --shell "$id")"
  local window
  window=$(e2e_frame "$id")
  xdotool mousemove $((X + $3)) $((Y + $4))
  e2e_poll eval '[ "$(xdotool getmouselocation --shell | sed -n "s/^WINDOW=//p")" = "$window" ]' ||
    { echo "the window \"$title\" is not under the pointer" >&2; return 1; }
  start=$(date +%s%N)
  xdotool click 1
  while xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do
    took=$((($(date +%s%N) - start) / 1000000))
    [ "$took" -lt 300 ] ||
      { echo "the window \"$title\" stayed $took ms after the click: too long for a double click" >&2; return 1; }
  done
  xdotool click 1
  took=$((($(date +%s%N) - start) / 1000000))
  [ "$took" -lt 380 ] || { echo "the second click came $took ms after the first: no double click" >&2; return 1; }
}
# A deliberate click at canvas point x, y, once it shows the clean picture there; waits
# for its dab, after which the program has handled every press before it.
deliberate_click() {
  wait_canvas "$1" "$2" clean || return 1
  xdotool mousemove $((left + $1)) $((top + $2)) click 1
  wait_canvas "$1" "$2" changed
}

e2e_launch
e2e_wait_window "The Tintavale" >/dev/null || fail "no colouring window"

# (a) A thumbnail: the chooser shows at the start.
chooser=$(e2e_wait_window "Open") || fail "no chooser"
eval "$(xdotool getwindowgeometry --shell "$chooser")"
e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || fail "the chooser shows no thumbnail"
spot=$(on_canvas $((X + 60)) $((Y + 60))) || fail "the thumbnail does not lie over the canvas"
read -r tx ty <<<"$spot"
double_click_closing "$chooser" Open 60 60 || fail "could not double-click the thumbnail"
e2e_wait_gone "Open" || fail "the chooser stayed"
deliberate_click 900 450 || fail "a click after the double click on the thumbnail painted nothing"
canvas "$work/thumbnail.png" || fail "no screenshot"
n=$(differ_at "$work/thumbnail.png" "$work/art.png" "$tx" "$ty")
[ "$n" = 0 ] || fail "the double click on the thumbnail painted $n pixels"

# "nevermind", the chooser's button at its lower right.
xdotool mousemove 39 60 click 1
chooser=$(e2e_wait_window "Open") || fail "no chooser"
eval "$(xdotool getwindowgeometry --shell "$chooser")"
e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || fail "the chooser shows no thumbnail"
spot=$(on_canvas $((X + 548)) $((Y + 468))) || fail "\"nevermind\" does not lie over the canvas"
read -r nx ny <<<"$spot"
double_click_closing "$chooser" Open 548 468 || fail "could not double-click \"nevermind\""
e2e_wait_gone "Open" || fail "the chooser stayed"
deliberate_click 900 300 || fail "a click after the double click on \"nevermind\" painted nothing"
canvas "$work/nevermind.png" || fail "no screenshot"
n=$(differ_at "$work/nevermind.png" "$work/art.png" "$nx" "$ny")
[ "$n" = 0 ] || fail "the double click on \"nevermind\" painted $n pixels"

# Clear's OK: Clear shows the clean picture; nothing may follow it.
xdotool mousemove 131 60 click 1
message=$(e2e_wait_window "Message") || fail "no clear question"
eval "$(xdotool getwindowgeometry --shell "$message")"
spot=$(on_canvas $((X + 316)) $((Y + 132))) || fail "the OK does not lie over the canvas"
read -r ox oy <<<"$spot"
double_click_closing "$message" Message 316 132 || fail "could not double-click OK"
e2e_wait_gone "Message" || fail "the clear question stayed"
wait_canvas 900 450 clean || fail "Clear left the earlier dabs"
deliberate_click 900 150 || fail "a click after the double click on OK painted nothing"
canvas "$work/clear.png" || fail "no screenshot"
n=$(differ_at "$work/clear.png" "$work/art.png" "$ox" "$oy")
[ "$n" = 0 ] || fail "the double click on Clear's OK painted $n pixels"

# (b) Click at x 148 (outside the door), second press at x 152 (inside): 4 pixels apart.
xdotool mousemove $((left + 148)) $((top + 200)) click 1 \
  mousemove $((left + 152)) $((top + 200)) mousedown 1
for s in $(seq 1 12); do xdotool mousemove $((left + 152 + s * 5)) $((top + 200 + s * 3)); done
xdotool mouseup 1
# The drag's last point is drawn (if the drag paints at all).
e2e_wait_pixel $((left + 212)) $((top + 236)) dark ||
  fail "the drag after the double click on the canvas left the door empty"
canvas "$work/stroke.png" || fail "no screenshot"
cp "$work/stroke.png" "$out/e2e-doubleclick.png"
door=$(grey "$work/stroke.png" 187 221)
[ "$door" -lt 128 ] || fail "the drag after the double click left the door empty (grey $door)"

# Undo, the third command button.
xdotool mousemove 225 50 click 1
e2e_wait_pixel $((left + 212)) $((top + 236)) light || fail "undo left the drag's last point"
canvas "$work/undone.png" || fail "no screenshot"
/usr/bin/convert "$art" -crop 97x177+152+102 +repage "$work/door-art.png"
/usr/bin/convert "$work/undone.png" -crop 97x177+152+102 +repage "$work/door-undone.png"
left_in_door=$(/usr/bin/compare -metric AE "$work/door-art.png" "$work/door-undone.png" null: 2>&1)
[ "$left_in_door" = 0 ] || fail "undo left $left_in_door pixels of the stroke in the door"
# Both with the door's inside painted over: nothing else changed.
for f in stroke undone; do
  /usr/bin/convert "$work/$f.png" -fill red -draw "rectangle 152,102 248,278" "$work/$f.masked.png"
done
changed=$(/usr/bin/compare -metric AE "$work/stroke.masked.png" "$work/undone.masked.png" null: 2>&1)
[ "$changed" = 0 ] || fail "undo changed $changed pixels outside the door"
dab=$(grey "$work/undone.png" 144 200)
[ "$dab" -lt 128 ] || fail "undo took away the first click's dab too (grey $dab)"

# The coloured copy saved on quitting: the deliberate dab after Clear, none at its OK.
e2e_quit || fail "the program did not quit"
[ -f "$copy" ] || fail "no coloured copy saved"
/usr/bin/convert "$copy" "$work/copy.png"
[ "$(differ_at "$work/copy.png" "$work/art.png" 900 150 20)" != 0 ] ||
  fail "the saved copy lacks the deliberate dab"
n=$(differ_at "$work/copy.png" "$work/art.png" "$ox" "$oy" 20)
[ "$n" = 0 ] || fail "the saved copy holds $n pixels of a dab where Clear's OK was double-clicked"
echo "doubleclick: 4 passed, 0 failed"
