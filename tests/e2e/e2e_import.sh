#!/usr/bin/env bash
# Damaged picture packs (one whose last piece is empty, one whose JPEG is cut half way
# through its image data) through the real importer: the parents see the damaged-file
# message, nothing is installed, and the program starts again with its chooser, clearing
# on the way what an interrupted import or save had left.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
trap e2e_stop EXIT
shots=$(dirname "$program_dir")
fail() { echo "FAIL: $*" >&2; e2e_shot "$shots/e2e-import-failed.png"; exit 1; }

# Number of windows on the screen, to see a new one come (the file dialog has no title).
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }

# Chooses the pack $1 in the importer, saves a picture of the message window that follows
# as $2, continues, and checks that the importer stayed open (a success closes it).
import_pack() {
  local before dialog result X Y WIDTH HEIGHT SCREEN
  before=$(xdotool search --onlyvisible --name '' 2>/dev/null | sort)
  e2e_click_in "$importer" 46 200 || fail "no importer button" # "Add pictures (from a saved .tvp file)"
  e2e_poll eval '[ "$(visible_windows)" -gt "$(wc -l <<<"$before")" ]' || fail "no file dialog for $1"
  dialog=$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --name '' 2>/dev/null | sort) | head -1)
  e2e_wait_focus "$dialog" || fail "the file dialog has not the keyboard"
  xdotool type --delay 20 "$1"
  xdotool key Return
  result=$(e2e_wait_window "Message") || fail "no message after $1 was chosen"
  eval "$(xdotool getwindowgeometry --shell "$result")"
  e2e_wait_drawn "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "the message for $1 was not drawn"
  /usr/bin/import -display "$DISPLAY" -window "$result" "$2"
  e2e_click_in "$result" 379 152 || fail "no Continue" # the button
  e2e_wait_gone "Message" || fail "the message stayed after Continue"
  e2e_wait_still 0 0 1024 768
  xdotool search --onlyvisible --name "^Add pictures\$" >/dev/null || fail "the importer closed: $1 was taken as whole"
}

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
/usr/bin/convert -size 8x8 xc:white "$work/cow.gif"
/usr/bin/convert -seed 7 -size 256x256 plasma:fractal -interlace none -quality 90 "$work/sky.jpg"
# Cut half way through the compressed image data after the one scan header: every
# segment a reader checks first is whole, only the pixels run out.
sos=$(LC_ALL=C grep -obUaP '\xff\xda' "$work/sky.jpg" | cut -d: -f1)
[ "$(wc -w <<<"$sos")" = 1 ] || fail "sky.jpg has not one scan but: $sos"
data=$((sos + 2 + $(od -An -tu1 -j $((sos + 2)) -N 2 "$work/sky.jpg" | awk '{ print $1 * 256 + $2 }')))
half=$((data + ($(stat -c %s "$work/sky.jpg") - 2 - data) / 2))
{ printf 'Farm|cow.gif|z.gif/x5x/'; cat "$work/cow.gif"; printf '/x5x/'; } >"$work/farm.tvp"
{ printf 'Sky|cow.gif|sky.jpg/x5x/'; cat "$work/cow.gif"; printf '/x5x/'; head -c "$half" "$work/sky.jpg"; } >"$work/cut.tvp"
books_before=$(ls -A "$work/books")

e2e_launch
chooser=$(e2e_wait_window "Open") || fail "no picture chooser"
e2e_click_in "$chooser" 56 480 || fail "no \"more pictures\"" # the button
e2e_enter_password secret || fail "no password request"
importer=$(e2e_wait_window "Add pictures") || fail "no importer after the password"
import_pack "$work/farm.tvp" "$shots/e2e-import-damaged.png"
# A JPEG cut in its image data is as damaged as an empty piece: the very same message.
import_pack "$work/cut.tvp" "$shots/e2e-import-cut.png"
differing=$(/usr/bin/compare -metric AE "$shots/e2e-import-damaged.png" "$shots/e2e-import-cut.png" null: 2>&1)
[ "$differing" = 0 ] || fail "the cut pack's message is not the damaged-pack message ($differing pixels differ)"
[ "$(ls -A "$work/books")" = "$books_before" ] || fail "the books folder changed: $(ls -A "$work/books")"

# What a kill in the middle of an import and of a settings save would leave.
mkdir "$work/books/.tv-import-Ab3dE9"
printf '\r\n' >"$work/books/.tv-import-Ab3dE9/z.gif"
printf 'half' >"$work/.Settings.txt.tv-save-x1Y2z3"
kill -9 "$app_pid"
wait "$app_pid" 2>/dev/null

e2e_launch
chooser=$(e2e_wait_window "Open") || fail "no chooser after the restart"
# Start-up's last step: the chooser's sheet drawn.
eval "$(xdotool getwindowgeometry --shell "$chooser")"
e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || fail "the chooser shows no pictures"
kill -0 "$app_pid" 2>/dev/null || fail "the program ended after the restart"
[ -e "$work/books/.tv-import-Ab3dE9" ] && fail "the staging folder was not cleared"
[ -e "$work/.Settings.txt.tv-save-x1Y2z3" ] && fail "the settings leftover was not cleared"
e2e_shot "$shots/e2e-import-restart.png"
echo "e2e import: 2 passed, 0 failed"
