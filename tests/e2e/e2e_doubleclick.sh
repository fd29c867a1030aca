#!/usr/bin/env bash
# Double and triple clicks on the real program. (a) A burst of clicks whose first click
# closes a window that lies over the canvas paints nothing where the later clicks land: a
# double click on a thumbnail of the chooser, on the chooser's "nevermind", on the OK of
# Clear's question, then a triple click on a thumbnail (which opens the picture again,
# from its coloured copy) and on "nevermind". A deliberate click after each paints, and
# the saved coloured copy holds no dab where the later clicks landed. (c) Under a window
# manager, the same for a double click on the close button in the title bar of the Save-as
# dialog: its first click goes to the frame and never reaches the program.
# (b) A quick second press on the canvas itself is a stroke of its own: a
# click just left of a door's outline, then a second press inside the door, close enough
# in place and time to arrive as a double click, and a drag. The drag colours the door,
# and one undo takes away exactly that stroke, leaving the first click's dab.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
out=$(dirname "$program_dir")
trap '[ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null; e2e_stop' EXIT
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
# Once the picture is opened again from its coloured copy the canvas shows the JPEG's
# noise: comparisons with the clean picture then allow this fuzz in percent.
fuzz=0
# Waits until the screen shows the clean picture around canvas point x, y or a change
# there: wait_canvas X Y clean|changed.
wait_canvas() {
  local x=$1 y=$2 want=$3
  e2e_poll eval 'canvas "$work/now.png" && n=$(e2e_differ_at "$work/now.png" "$work/art.png" "$x" "$y" "$fuzz") &&
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
# Double-clicks (or clicks $3 times) at x, y inside the window $win titled $title: the
# first click closes the window, the second lands on what was under it, once the window
# is gone and within the double-click interval of the first, and any more follow at
# once. Returns 2 when the window stayed too long (no second click was made) and 3 when a
# later click came too late to belong to the burst (it was a deliberate press then, and
# the last click made). Times come from the shell's own clock in microseconds, which
# starts no process: the second click must follow quickly on a loaded machine too.
double_click_closing() {
  local X Y WIDTH HEIGHT SCREEN WINDOW frame start took clicks=${3:-2}
  eval "$(xdotool getwindowgeometry --shell "$win")"
  frame=$(e2e_frame "$win")
  xdotool mousemove $((X + $1)) $((Y + $2))
  e2e_poll eval '[ "$(xdotool getmouselocation --shell | sed -n "s/^WINDOW=//p")" = "$frame" ]' ||
    { echo "the window \"$title\" is not under the pointer" >&2; return 1; }
  start=${EPOCHREALTIME/./}
  xdotool click 1
  while xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do
    took=$(((${EPOCHREALTIME/./} - start) / 1000))
    [ "$took" -lt 300 ] || { echo "the window \"$title\" stayed $took ms after the click" >&2; return 2; }
  done
  xdotool click 1
  took=$(((${EPOCHREALTIME/./} - start) / 1000))
  [ "$took" -lt 350 ] || { echo "the second click came $took ms after the first" >&2; return 3; }
  [ "$clicks" -gt 2 ] || return 0
  start=${EPOCHREALTIME/./}
  xdotool click --repeat $((clicks - 2)) --delay 60 1
  took=$(((${EPOCHREALTIME/./} - start) / 1000))
  [ "$took" -lt $((clicks * 100)) ] || { echo "the later clicks took $took ms" >&2; return 3; }
}
# Double-clicks (or clicks $5 times) at x, y ($3, $4) inside the window that the command
# $1 shows (setting win and title), trying again with the command $2 when the machine
# was too slow for a burst; a late click's dab is undone first. Sets sx, sy to the canvas
# point of the later clicks.
double_click_over_canvas() {
  local show=$1 again=$2 x=$3 y=$4 clicks=${5:-2} tries spot
  for tries in 1 2 3 4; do
    "$show" || return 1
    show=$again
    spot=$(spot_in "$x" "$y") || return 1
    read -r sx sy <<<"$spot"
    double_click_closing "$x" "$y" "$clicks"
    case $? in
    0) return 0 ;;
    1) return 1 ;;
    3)
      xdotool mousemove 225 50 click 1 # undo
      wait_canvas "$sx" "$sy" clean || return 1
      ;;
    esac
    e2e_wait_gone "$title" || return 1
  done
  echo "no double click in $tries tries: the machine is too slow" >&2
  return 1
}
# The chooser (the one shown at the start, or opened with the first command button), its
# thumbnails drawn.
startup_chooser() {
  local X Y WIDTH HEIGHT SCREEN
  title=Open
  win=$(e2e_wait_window Open) || return 1
  eval "$(xdotool getwindowgeometry --shell "$win")"
  e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120
}
open_chooser() {
  xdotool mousemove 39 60 click 1
  startup_chooser
}
# Clear's question, after the second command button.
ask_clear() {
  xdotool mousemove 131 60 click 1
  title=Message
  win=$(e2e_wait_window Message)
}
# The canvas point under x, y of the window $win.
spot_in() {
  local X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$win")"
  on_canvas $((X + $1)) $((Y + $2))
}
# A deliberate click at canvas point x, y, once it shows the clean picture there; waits
# for its dab, after which the program has handled every press before it.
deliberate_click() {
  wait_canvas "$1" "$2" clean || return 1
  xdotool mousemove $((left + $1)) $((top + $2)) click 1
  wait_canvas "$1" "$2" changed
}
# After a double click: a deliberate click at canvas point x, y ($1, $2) paints, and the
# second click's place ($4, $5) shows the clean picture. $3 names the place.
nothing_painted() {
  # The door's outline: the picture itself is shown, not just a white canvas.
  if [ "$fuzz" = 0 ]; then
    wait_canvas 150 190 clean
  else
    e2e_wait_art "$art"
  fi || fail "the picture does not show after the clicks on $3"
  deliberate_click "$1" "$2" || fail "a click after the clicks on $3 painted nothing"
  canvas "$work/now.png" || fail "no screenshot"
  n=$(e2e_differ_at "$work/now.png" "$work/art.png" "$4" "$5")
  [ "$n" = 0 ] || fail "the clicks on $3 painted $n pixels"
}

e2e_launch
e2e_wait_window "The Tintavale" >/dev/null || fail "no colouring window"

# (a) A thumbnail: the chooser shows at the start.
double_click_over_canvas startup_chooser open_chooser 60 60 || fail "could not double-click the thumbnail"
nothing_painted 900 450 "the thumbnail" "$sx" "$sy"

# "nevermind", the chooser's button at its lower right.
double_click_over_canvas open_chooser open_chooser 548 468 || fail "could not double-click \"nevermind\""
nothing_painted 900 300 "\"nevermind\"" "$sx" "$sy"

# Clear's OK: Clear shows the clean picture; nothing may follow it.
double_click_over_canvas ask_clear ask_clear 316 132 || fail "could not double-click Clear's OK"
wait_canvas 900 450 clean || fail "Clear left the earlier dabs"
nothing_painted 900 150 "Clear's OK" "$sx" "$sy"
ox=$sx oy=$sy

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

# Triple clicks. The thumbnail opens the picture again, from its coloured copy.
fuzz=20
double_click_over_canvas open_chooser open_chooser 60 60 3 || fail "could not triple-click the thumbnail"
nothing_painted 800 450 "the thumbnail (triple)" "$sx" "$sy"
tx=$sx ty=$sy
double_click_over_canvas open_chooser open_chooser 548 468 3 || fail "could not triple-click \"nevermind\""
nothing_painted 800 300 "\"nevermind\" (triple)" "$sx" "$sy"
nx=$sx ny=$sy

# The coloured copy saved on quitting: the deliberate dabs, none where a burst's later
# clicks landed.
e2e_quit || fail "the program did not quit"
[ -f "$copy" ] || fail "no coloured copy saved"
/usr/bin/convert "$copy" "$work/copy.png"
[ "$(e2e_differ_at "$work/copy.png" "$work/art.png" 900 150 20)" != 0 ] ||
  fail "the saved copy lacks the deliberate dab"
n=$(e2e_differ_at "$work/copy.png" "$work/art.png" "$ox" "$oy" 20)
[ "$n" = 0 ] || fail "the saved copy holds $n pixels of a dab where Clear's OK was double-clicked"
for spot in "800 450 a deliberate click" "800 300 a deliberate click"; do
  read -r x y what <<<"$spot"
  [ "$(e2e_differ_at "$work/copy.png" "$work/art.png" "$x" "$y" 20)" != 0 ] ||
    fail "the saved copy lacks the dab of $what at $x, $y"
done
for spot in "$tx $ty the thumbnail" "$nx $ny nevermind"; do
  read -r x y what <<<"$spot"
  n=$(e2e_differ_at "$work/copy.png" "$work/art.png" "$x" "$y" 20)
  [ "$n" = 0 ] || fail "the saved copy holds $n pixels of a dab where $what was triple-clicked"
done

# (c) The program again, on the clean picture, under openbox.
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
e2e_poll eval 'wmctrl -m >/dev/null 2>&1' || fail "no window manager"
rm -rf "$work/colored pictures"
fuzz=0
e2e_launch
main=$(e2e_wait_window "The Tintavale") || fail "no colouring window"
eval "$(xdotool getwindowgeometry --shell "$main")"
[ "$X,$Y" = 0,0 ] || fail "the colouring window lies at $X, $Y"
startup_chooser || fail "no chooser"
e2e_click_in "$win" 60 60 || fail "the chooser is not on top"
e2e_wait_gone Open || fail "the chooser stayed"
wait_canvas 150 190 clean || fail "the picture does not show"
# The Save-as dialog, moved so that its close button (at the right of its title bar) lies
# at a point of the canvas's white: sets x, y to that point as double_click_closing takes it.
save_as() {
  local X Y WIDTH HEIGHT SCREEN frame fx fy fw
  xdotool mousemove 33 11 click 1
  e2e_enter_password secret || return 1
  title="Save current picture as..."
  win=$(e2e_wait_window "$title") || return 1
  frame=$(e2e_frame "$win")
  fw=$(xwininfo -id "$frame" | sed -n 's/^ *Width: //p')
  # Down from its place near the toolbar, to about 300 (the window manager adds its frame).
  wmctrl -i -r "$win" -e "0,$((700 - fw)),300,-1,-1"
  frame_at() { read -r fx fy < <(xwininfo -id "$frame" | sed -n 's/^ *Absolute upper-left [XY]: *//p' | paste -sd ' '); }
  e2e_poll eval 'frame_at && [ "$fy" -gt 250 ]' || { echo "the dialog did not move" >&2; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # The close button is 11 pixels left of the frame's right edge, 10 below its top.
  x=$((fx + fw - 11 - X)) y=$((fy + 10 - Y))
}
for tries in 1 2 3 4; do
  save_as || fail "no Save-as dialog"
  spot=$(spot_in "$x" "$y") || fail "the close button is not over the canvas"
  read -r sx sy <<<"$spot"
  double_click_closing "$x" "$y"
  result=$?
  [ "$result" = 0 ] && break
  [ "$result" = 1 ] && fail "could not double-click the close button"
  if [ "$result" = 3 ]; then
    xdotool mousemove 225 50 click 1 # undo
    wait_canvas "$sx" "$sy" clean || fail "undo left a late click's dab"
  fi
  e2e_wait_gone "$title" || fail "the Save-as dialog stayed"
done
[ "$result" = 0 ] || fail "no double click in $tries tries: the machine is too slow"
nothing_painted 900 150 "the Save-as dialog's close button" "$sx" "$sy"
e2e_quit || fail "the program did not quit"
/usr/bin/convert "$copy" "$work/copy.png" || fail "no coloured copy saved"
[ "$(e2e_differ_at "$work/copy.png" "$work/art.png" 900 150 20)" != 0 ] ||
  fail "the saved copy lacks the deliberate dab"
n=$(e2e_differ_at "$work/copy.png" "$work/art.png" "$sx" "$sy" 20)
[ "$n" = 0 ] || fail "the saved copy holds $n pixels where the close button was double-clicked"
echo "doubleclick: 7 passed, 0 failed"
