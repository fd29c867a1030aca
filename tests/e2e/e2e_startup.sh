#!/usr/bin/env bash
# The real program starts full screen with a valid settings file, and greets a first run
# (no settings file) with the first-run window.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
fail=0
trap e2e_stop EXIT

# A valid settings file: the colouring window covers the screen.
e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
e2e_launch
if id=$(e2e_wait_window "The Tintavale"); then
  # The window may take its full size only after it shows.
  covers() { geometry=$(xdotool getwindowgeometry "$id") &&
    grep -q "Position: 0,0" <<<"$geometry" && grep -q "Geometry: 1024x768" <<<"$geometry"; }
  e2e_poll covers
  echo "$geometry"
  if ! covers; then
    echo "FAIL: the colouring window does not cover the 1024 x 768 screen" >&2
    fail=1
  fi
  e2e_shot "$(dirname "$program_dir")/e2e-startup.png"
else
  fail=1
fi
e2e_stop

# No settings file: the first-run window comes first.
e2e_start "$program_dir" || exit 1
rm -f "$work/Settings.txt"
e2e_launch
if first_run=$(e2e_wait_window "Form1"); then
  eval "$(xdotool getwindowgeometry --shell "$first_run")"
  e2e_wait_drawn "$X" "$Y" "$WIDTH" "$HEIGHT"
  e2e_shot "$(dirname "$program_dir")/e2e-firstrun.png"
else
  fail=1
fi

[ $fail = 0 ] && echo "e2e startup: 2 passed, 0 failed" || echo "e2e startup: failed"
exit $fail
