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

# Without a display scripts/run starts its own screen; Ctrl+C (SIGINT to its process group,
# as a terminal sends it) ends the program the orderly way, which saves the colouring,
# before the screen goes.
folder="$fresh/ctrl-c"
mkdir -p "$folder"
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$folder/Settings.txt"
# A group of its own, with Ctrl+C not ignored as it is for a background job.
(unset DISPLAY; exec setsid env --default-signal=INT BUILD_DIR="$fresh/build" TV_RUN_DIR="$folder" \
  bash "$here/../../scripts/run") >"$fresh/ctrl-c.log" 2>&1 &
runner=$!
e2e_timeout=300 e2e_poll grep -q "Ctrl+C ends it" "$fresh/ctrl-c.log" ||
  { cat "$fresh/ctrl-c.log" >&2; fail "scripts/run did not start the program"; }
run_display=$(sed -n 's/.*(DISPLAY=\(:[0-9]*\)).*/\1/p' "$fresh/ctrl-c.log")
[ -n "$run_display" ] || fail "scripts/run did not tell its display"
first=$(ls "$folder/books" | sort -f | head -1)
picture=$(ls "$folder/books/$first" | sort -f | head -1)
read -r pw ph <<<"$(/usr/bin/identify -format "%w %h" "$folder/books/$first/$picture[0]")"
left=$(((1024 - pw) / 2)); top=$((103 + (665 - ph) / 2))
(
  export DISPLAY=$run_display work=$folder app_pid=$runner
  e2e_open_first_picture || exit 1
  xdotool mousemove $((left + 20)) $((top + 20)) mousedown 1
  for step in $(seq 1 12); do xdotool mousemove $((left + 20 + step * 4)) $((top + 20 + step)); done
  xdotool mouseup 1
  e2e_wait_pixel $((left + 68)) $((top + 32)) dark
) || fail "could not colour on the screen of scripts/run"
kill -INT -- -"$runner"
e2e_poll eval '! kill -0 "$runner" 2>/dev/null' || fail "scripts/run still runs after Ctrl+C"
wait "$runner"
status=$?
[ "$status" = 130 ] || fail "scripts/run ended with $status after Ctrl+C"
copy="$folder/colored pictures/$first/${picture%???}jpg"
[ -f "$copy" ] || fail "Ctrl+C saved no coloured copy"
grey=$(/usr/bin/convert "$copy" -format "%[fx:int(255*p{44,26}.intensity)]" info:)
[ "$grey" -lt 128 ] || fail "the stroke is not in the copy Ctrl+C saved (grey $grey)"
DISPLAY=$run_display xdpyinfo >/dev/null 2>&1 && fail "the screen of scripts/run stayed"

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
