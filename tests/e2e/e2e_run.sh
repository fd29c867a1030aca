#!/usr/bin/env bash
# The README's run command in a fresh build folder stages the whole program: the folder it
# starts from holds the executable, Help.chm and the books, and the About box's Help opens
# a page of the help file there (which Close or Escape then closes).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
out=$(dirname "$1")
fresh=$(mktemp -d)
cleanup() { e2e_stop; rm -rf "$fresh"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -n "${DISPLAY:-}" ] && e2e_shot "$out/e2e-run-failed.png"; exit 1; }

# Only the program is built there, not the tests.
BUILD_DIR="$fresh/build" TV_RUN_STAGE_ONLY=1 bash "$here/../../scripts/run" >"$fresh/run.log" 2>&1 ||
  { cat "$fresh/run.log" >&2; fail "scripts/run did not stage the program"; }
staged="$fresh/build/run"
[ -x "$staged/tintavale" ] || fail "no executable in $staged"
[ -s "$staged/Help.chm" ] || fail "no Help.chm in $staged"
pictures=$(find "$staged/books" -mindepth 2 -maxdepth 2 -type f 2>/dev/null | wc -l)
[ "$pictures" -gt 0 ] || fail "no books in $staged"

e2e_start "$staged" || exit 1
printf 'secret\r\n 0 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
e2e_launch
e2e_open_first_picture || fail "could not open a picture"

# About (the fourth function button, behind the password), then Help.
xdotool mousemove 72 10 click 1
e2e_enter_password secret || fail "no password request"
e2e_wait_gone "Message" || fail "the password was refused"
# The About box: untitled, 590 x 458 pixels, centred; Help lies at 64, 432 inside it.
about_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
    xdotool getwindowgeometry --shell "$id" | grep -qzE "X=$(((1024 - 590) / 2)).Y=$(((768 - 458) / 2)).WIDTH=590.HEIGHT=458" &&
      { echo "$id"; return 0; }
  done
  return 1
}
about=$(e2e_poll about_box) || fail "no About box of 590 x 458 at the centre"
e2e_click_in "$about" $((64 + 12)) $((432 + 8)) || fail "the About box is covered"
help=$(e2e_wait_window "Welcome to The Tintavale") || fail "Help opened no page"
eval "$(xdotool getwindowgeometry --shell "$help")"
e2e_wait_drawn "$X" "$Y" "$WIDTH" "$HEIGHT" || fail "the help window shows nothing"
xdotool search --onlyvisible --name "^Message\$" >/dev/null 2>&1 && fail "a message showed"
e2e_shot "$out/e2e-run-help.png"

# Without a window manager, Escape closes the help window.
xdotool windowfocus "$help" 2>/dev/null
xdotool key Escape
e2e_wait_gone "Welcome to The Tintavale" || fail "Escape left the help window open"
echo "run: 1 passed, 0 failed"
