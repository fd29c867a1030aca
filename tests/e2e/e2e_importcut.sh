#!/usr/bin/env bash
# A picture pack whose JPEG is cut in half, through the real importer: the parents see the
# very message a damaged pack gives (the same pixels as for a pack whose last piece is
# empty), the importer stays open and nothing is installed.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
trap e2e_stop EXIT
shots=$(dirname "$program_dir")
fail() { echo "FAIL: $*" >&2; e2e_shot "$shots/e2e-importcut-failed.png"; exit 1; }

# Number of windows on the screen, to see a new one come (the file dialog has no title).
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }

# Clicks at (x, y) inside the window with this id.
click_in() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1
}

# Chooses this pack in the importer, saves a picture of the message that follows as $2
# and continues.
import_pack() {
  local before result
  before=$(visible_windows)
  click_in "$importer" 46 200 # "Add pictures (from a saved .tvp file)"
  for _ in $(seq 100); do [ "$(visible_windows)" -gt "$before" ] && break; sleep 0.1; done
  [ "$(visible_windows)" -gt "$before" ] || fail "no file dialog for $1"
  sleep 0.5
  xdotool type --delay 20 "$1"
  xdotool key Return
  result=$(e2e_wait_window "Message") || fail "no message after $1 was chosen"
  sleep 0.5
  /usr/bin/import -display "$DISPLAY" -window "$result" "$2"
  click_in "$result" 379 152 # Continue
  for _ in $(seq 50); do xdotool search --onlyvisible --name "^Message\$" >/dev/null || break; sleep 0.1; done
  sleep 0.5
  # The damaged-file path keeps the importer open; a success would have closed it.
  xdotool search --onlyvisible --name "^Add pictures\$" >/dev/null || fail "the importer closed: $1 was taken as sound"
}

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
/usr/bin/convert -size 8x8 xc:white "$work/cow.gif"
/usr/bin/convert -size 64x64 gradient:red-blue -quality 90 "$work/sky.jpg"
half=$(( $(stat -c %s "$work/sky.jpg") / 2 ))
{ printf 'Farm|cow.gif|z.gif/x5x/'; cat "$work/cow.gif"; printf '/x5x/'; } >"$work/empty.tvp"
{ printf 'Sky|cow.gif|sky.jpg/x5x/'; cat "$work/cow.gif"; printf '/x5x/'; head -c "$half" "$work/sky.jpg"; } >"$work/cut.tvp"
books_before=$(ls -A "$work/books")

e2e_launch
chooser=$(e2e_wait_window "Open") || fail "no picture chooser"
sleep 1
click_in "$chooser" 56 480 # "more pictures"
message=$(e2e_wait_window "Message") || fail "no password request"
sleep 0.5
click_in "$message" 316 132 # OK shows the password row
sleep 0.5
xdotool type --delay 50 secret
xdotool key Return
importer=$(e2e_wait_window "Add pictures") || fail "no importer after the password"
sleep 0.5

import_pack "$work/empty.tvp" "$shots/e2e-importcut-damaged.png"
import_pack "$work/cut.tvp" "$shots/e2e-importcut-cut.png"
differing=$(/usr/bin/compare -metric AE "$shots/e2e-importcut-damaged.png" "$shots/e2e-importcut-cut.png" null: 2>&1)
[ "$differing" = "0" ] || fail "the cut pack's message is not the damaged-pack message ($differing pixels differ)"
[ "$(ls -A "$work/books")" = "$books_before" ] || fail "the books folder changed: $(ls -A "$work/books")"
echo "e2e import of a cut-short pack: 1 passed, 0 failed"
