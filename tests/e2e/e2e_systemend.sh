#!/usr/bin/env bash
# The system ends the real program: SIGTERM, SIGHUP and SIGINT, each with no window open
# and with a window that waits for a click over the canvas (the parents' password
# question, the picture chooser, the save-as file dialog). A crayon stroke comes first;
# after the signal the program ends within a few seconds with 128 + the signal's number,
# its saved coloured copy holds the stroke, and the temporary files are gone. Then the
# same with a copy that cannot be saved: standard error says so, in one line, and the
# program still ends.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
out=$(dirname "$program_dir")
trap e2e_stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$out/e2e-systemend-failed.png"; exit 1; }

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
e2e_first_picture
copy="$work/colored pictures/$first/${picture%???}jpg"

# A script starts its background jobs with SIGINT ignored, which the program keeps (as
# it should for a job in the background): this one gets every signal as a terminal would
# send it.
launch() {
  env --default-signal=INT,HUP,TERM "$work/tintavale" >"$work/stdout.log" 2>"$work/stderr.log" &
  app_pid=$!
}

# A crayon stroke near the canvas's top left corner, waited for on the screen.
stroke() {
  xdotool mousemove $((left + 20)) $((top + 20)) mousedown 1
  for step in $(seq 1 12); do xdotool mousemove $((left + 20 + step * 4)) $((top + 20 + step)); done
  xdotool mouseup 1
  e2e_wait_pixel $((left + 68)) $((top + 32)) dark
}

# The windows left open when the signal comes; each waits for a click.
open_none() { :; }
open_password() {
  xdotool mousemove 72 11 click 1 # About asks for the password
  e2e_wait_window Message >/dev/null
}
open_chooser() {
  xdotool mousemove 39 60 click 1
  e2e_wait_window Open >/dev/null
}
open_file_dialog() {
  xdotool mousemove 33 11 click 1 # Save as asks for the password, then for a file
  e2e_enter_password secret || return 1
  e2e_wait_window "Save current picture as..." >/dev/null
}

# Sends the signal, then waits at most 5 s for the end; sets status to the exit status
# and took to the milliseconds the end took.
end_by() {
  local start
  start=${EPOCHREALTIME/./}
  kill -"$1" "$app_pid"
  e2e_timeout=5 e2e_wait_ended || { echo "still running 5 s after SIG$1" >&2; return 1; }
  took=$(((${EPOCHREALTIME/./} - start) / 1000))
  wait "$app_pid"
  status=$?
}

passed=0
for signal in TERM HUP INT; do
  for window in none password chooser file_dialog; do
    case=$(printf "SIG%s, %s open" "$signal" "${window/_/ }")
    rm -rf "$work/colored pictures"
    launch
    e2e_open_first_picture || fail "$case: could not open a picture"
    stroke || fail "$case: the stroke did not show"
    "open_$window" || fail "$case: the window did not open"
    end_by "$signal" || fail "$case: the program did not end"
    [ "$status" = $((128 + $(kill -l "$signal"))) ] || fail "$case: exit status $status"
    [ -f "$copy" ] || fail "$case: no coloured copy at $copy"
    grey=$(/usr/bin/convert "$copy" -format "%[fx:int(255*p{44,26}.intensity)]" info:)
    [ "$grey" -lt 128 ] || fail "$case: the stroke is not in the coloured copy (grey $grey)"
    leftovers=$(find "$work" -maxdepth 3 -name '.*tv-save*' -o -maxdepth 1 -name temp.bmp)
    [ -z "$leftovers" ] || fail "$case: left behind: $leftovers"
    ! grep -q "could not be saved" "$work/stderr.log" ||
      fail "$case: said on standard error: $(cat "$work/stderr.log")"
    echo "systemend: $case: status $status after $took ms"
    passed=$((passed + 1))
  done
done

# A file where the picture's folder of coloured copies should be: the save fails.
for window in none password; do
  case="SIGTERM, ${window} open, the copy cannot be saved"
  rm -rf "$work/colored pictures" && mkdir "$work/colored pictures" && : >"$work/colored pictures/$first"
  launch
  e2e_open_first_picture || fail "$case: could not open a picture"
  stroke || fail "$case: the stroke did not show"
  "open_$window" || fail "$case: the window did not open"
  end_by TERM || fail "$case: the program did not end"
  [ "$status" = 143 ] || fail "$case: exit status $status"
  said=$(grep "could not be saved" "$work/stderr.log")
  [ "$(grep -c . <<<"$said")" = 1 ] || fail "$case: standard error holds: $(cat "$work/stderr.log")"
  grep -q "SIGTERM.*could not be saved.*is a file" <<<"$said" ||
    fail "$case: standard error says: $said"
  echo "systemend: $case: status $status after $took ms: $said"
  passed=$((passed + 1))
done
echo "systemend: $passed passed, 0 failed"
